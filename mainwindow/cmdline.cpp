#include "mainwindow/cmdline.h"

#include "common/sjis.h"
#include "platform/inifile.h"

namespace yuzulog {
std::string GetParamValue(const std::vector<std::string>& args, std::string_view key) {
  for (const std::string& a : args)
    if (StartsWithIgnoringAsciiCase(a, key)) return a.substr(key.size());
  return {};
}

int GetParamInteger(const std::vector<std::string>& args, std::string_view key) {
  std::int32_t v = 0;
  return ParseIniInteger(GetParamValue(args, key), v) ? v : 0;
}

std::vector<std::string> FileArguments(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    bool isKey = false;
    for (std::string_view k :
         {kOldSystemKey, kViewModeKey, kLogSetKey, kScreenshotKey, kMessageKey})
      isKey = isKey || StartsWithIgnoringAsciiCase(args[i], k);
    if (!isKey && !args[i].empty()) files.push_back(args[i]);
  }
  return files;
}

}  // namespace yuzulog
