#include "mainwindow/cmdline.h"

#include "common/sjis.h"
#include "platform/inifile.h"
#include "platform/paths.h"

namespace yuzulog {
std::string GetParamValue(const std::vector<std::string>& args, std::string_view key) {
  for (const std::string& a : args)
    if (StartsWithIgnoringAsciiCase(a, key)) return a.substr(key.size());
  return {};
}

std::vector<std::string> GetParamValues(const std::vector<std::string>& args, std::string_view key,
                                        int maxCount) {
  std::vector<std::string> values;
  for (std::size_t i = 1; i < args.size() && static_cast<int>(values.size()) < maxCount; ++i)
    if (StartsWithIgnoringAsciiCase(args[i], key)) values.push_back(args[i].substr(key.size()));
  return values;
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
         {kOldSystemKey, kViewModeKey, kLogSetKey, kScreenshotKey, kMessageKey, kSearchKey})
      isKey = isKey || StartsWithIgnoringAsciiCase(args[i], k);
    if (!isKey && !args[i].empty()) files.push_back(args[i]);
  }
  return files;
}

std::string CompanionPath(const std::string& path, std::string_view tag) {
  const std::string ext = FileExtension(path);
  return path.substr(0, path.size() - ext.size()) + std::string(tag) + ext;
}

}  // namespace yuzulog
