// The design fonts that pages and dialogs name ("ＭＳ Ｐゴシック", "ＭＳ ゴシック" and the two
// Mincho faces) are not on this system; the IPA fonts stand in for them. Widgets map the names
// themselves; the browser view asks fontconfig, which takes a substitute only when the
// configuration names it with a strong binding. So the program runs with a configuration of its
// own: the system's, plus the aliases.
#pragma once

#include <string>
#include <string_view>

namespace yuzulog {

struct FontAlias {
  std::string_view Design;  // UTF-8
  std::string_view Here;
};
inline constexpr FontAlias kDesignFontAliases[] = {{"ＭＳ Ｐゴシック", "IPAPGothic"},
                                                   {"ＭＳ ゴシック", "IPAGothic"},
                                                   {"ＭＳ Ｐ明朝", "IPAPMincho"},
                                                   {"ＭＳ 明朝", "IPAMincho"}};

// The family that stands in for a design family here; any other name is itself.
constexpr std::string_view FontStandIn(std::string_view family) {
  for (const FontAlias& a : kDesignFontAliases)
    if (a.Design == family) return a.Here;
  return family;
}

// A fontconfig configuration that includes baseConfig (the configuration in use without ours)
// and then replaces each design family by its stand-in, bound strongly.
std::string FontAliasConfig(const std::string& baseConfig);

// Writes FontAliasConfig(baseConfig) to folder/fonts.conf unless it is there already, and returns
// its path; empty when it cannot be written.
std::string WriteFontAliasConfig(const std::string& folder, const std::string& baseConfig);

// Points FONTCONFIG_FILE at the program's configuration, kept in the user's cache folder
// ($XDG_CACHE_HOME, else ~/.cache, then "yuzulog"). Must run before the first font is looked up,
// so that the browser engine's processes inherit it. False when the file cannot be written; the
// fonts are then the system's.
bool UseFontAliases();

}  // namespace yuzulog
