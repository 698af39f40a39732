#include "platform/fontaliases.h"

#include <cstdlib>
#include <filesystem>

#include "common/markup.h"
#include "platform/inifile.h"
#include "platform/paths.h"

namespace yuzulog {
namespace {

constexpr const char* kSystemConfig = "/etc/fonts/fonts.conf";

std::string CacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && *cache == '/') return std::string(cache) + "/yuzulog";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.cache/yuzulog";
  return {};
}

}  // namespace

std::string FontAliasConfig(const std::string& baseConfig) {
  std::string xml =
      "<?xml version=\"1.0\"?>\n"
      "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
      "<!-- Written by yuzulog at every start: the configuration below, then the fonts that\n"
      "     stand in for the design fonts of the message pages. -->\n"
      "<fontconfig>\n"
      "  <include ignore_missing=\"yes\">" +
      MarkupEscaped(baseConfig) + "</include>\n";
  for (const FontAlias& a : kDesignFontAliases) {
    xml += "  <match target=\"pattern\">\n";
    xml += "    <test name=\"family\"><string>" + MarkupEscaped(a.Design) + "</string></test>\n";
    xml += "    <edit name=\"family\" mode=\"assign\" binding=\"strong\"><string>" +
           MarkupEscaped(a.Here) + "</string></edit>\n";
    xml += "  </match>\n";
  }
  xml += "</fontconfig>\n";
  return xml;
}

std::string WriteFontAliasConfig(const std::string& folder, const std::string& baseConfig) {
  const std::string path = folder + "/fonts.conf";
  const std::string xml = FontAliasConfig(baseConfig);
  std::string current;
  if (ReadSettingsText(path, current) && current == xml) return path;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return WriteFileAtomically(path, xml) ? path : std::string();
}

bool UseFontAliases() {
  const std::string folder = CacheFolder();
  if (folder.empty()) return false;
  const char* inUse = std::getenv("FONTCONFIG_FILE");
  std::string base = inUse && *inUse ? inUse : kSystemConfig;
  // Started by a process that used ours already: ours includes the system's, not itself, however
  // the name in the environment spells it.
  if (SameFile(base, folder + "/fonts.conf")) base = kSystemConfig;
  const std::string path = WriteFontAliasConfig(folder, base);
  if (path.empty()) return false;
  return setenv("FONTCONFIG_FILE", path.c_str(), 1) == 0;
}

}  // namespace yuzulog
