#include "mainwindow/cmdline.h"

#include <algorithm>

#include "common/sjis.h"
#include "platform/inifile.h"
#include "platform/paths.h"

namespace yuzulog {
namespace {

bool IsKnownKey(std::string_view arg) {
  return std::any_of(std::begin(kKnownKeys), std::end(kKnownKeys),
                     [arg](std::string_view k) { return StartsWithIgnoringAsciiCase(arg, k); });
}

// One or more ASCII letters, then a colon.
bool LooksLikeKey(std::string_view arg) {
  std::size_t n = 0;
  while (n < arg.size() && IsAsciiLetter(static_cast<unsigned char>(arg[n])))
    ++n;
  return n > 0 && n < arg.size() && arg[n] == ':';
}

}  // namespace

CommandLine SplitCommandLine(const std::vector<std::string>& args,
                             const std::function<bool(const std::string&)>& exists) {
  CommandLine cl;
  if (args.empty()) return cl;
  cl.Keys.push_back(args[0]);
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.empty()) continue;
    // A key is only looked for in an argument that names nothing on disk, so a log file whose
    // name happens to begin like a key still opens.
    if (LooksLikeKey(a) && !exists(a)) {
      if (IsKnownKey(a))
        cl.Keys.push_back(a);
      else if (std::find(cl.UnknownKeys.begin(), cl.UnknownKeys.end(), a) == cl.UnknownKeys.end())
        cl.UnknownKeys.push_back(a);
    } else {
      cl.Files.push_back(a);
    }
  }
  return cl;
}

std::string UnknownKeyText(const std::string& arg) {
  return "yuzulog: unknown key " + arg.substr(0, arg.find(':') + 1) + " in " + arg + ", ignored";
}

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

std::string CompanionPath(const std::string& path, std::string_view tag) {
  const std::string ext = FileExtension(path);
  return path.substr(0, path.size() - ext.size()) + std::string(tag) + ext;
}

}  // namespace yuzulog
