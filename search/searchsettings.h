// The search window's settings file ("Form2.INI") as plain data: its place and size, whether it
// was shown and stayed on top, and the four search options that outlive a run. The keyword texts,
// ID, handle name, their check boxes and the roll-up state are not kept.
#pragma once

#include <string>

#include "platform/settingsfiles.h"
#include "search/search.h"

namespace yuzulog {

inline constexpr const char* kSearchSettingsFile = "Form2.INI";

// The window's form styles as the file stores them.
enum class SearchFormStyle : int { Normal = 0, StayOnTop = 3 };

struct SearchSettings {
  int Left = 0;
  int Top = 0;
  int Width = 403;
  int Height = 468;
  SearchFormStyle FormStyle = SearchFormStyle::Normal;
  bool Visible = false;
  bool IgnoreCase = true;
  bool Enhanced = false;
  yuzulog::IgnoreCode IgnoreCode = yuzulog::IgnoreCode::None;
  bool IncludeHeader = false;
  bool operator==(const SearchSettings&) const = default;
};

// Section "Window" of an INI file; a missing key keeps its value in defaults. A form style other
// than 3 reads as normal (the other stored styles belong to window kinds this window never is),
// and an ignore-code index outside the list reads as its first item.
SearchSettings SearchSettingsFromIni(const IniFile& ini, const SearchSettings& defaults);
// The same from dir + "Form2.INI"; a file that exists but cannot be read gives the defaults and
// is noted in report.
SearchSettings ReadSearchSettings(const std::string& dir, const SearchSettings& defaults,
                                  SettingsReport* report = nullptr);
// Fits the window's place and size to the desktop as FitToDesktop does for a rectangle; one that
// cannot be used at all (no area) takes the place and size in defaults.
void FitToDesktop(SearchSettings& settings, const SearchSettings& defaults,
                  const WindowRect& desktop);
// Writes them back in the file's order (Visible, FormStyle, Top, Left, Width, Height, IgnoreCase,
// Enhanced, IgnoreCode, IncludeHeader), keeping every other key. False when the file could not be
// written, or could not be read (now, or at start as report says) and so is left as it is.
bool WriteSearchSettings(const std::string& dir, const SearchSettings& settings,
                         SettingsReport* report = nullptr);

}  // namespace yuzulog
