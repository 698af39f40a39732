// The search window's settings file ("Form2.INI") as plain data: its place and size, whether it
// was shown and stayed on top, and the four search options that outlive a run. The keyword texts,
// ID, handle name, their check boxes and the roll-up state are not kept.
#pragma once

#include <string>

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

// Reads section "Window" of dir + "Form2.INI"; a missing key keeps its value in defaults. A form
// style other than 3 reads as normal (the other stored styles belong to window kinds this window
// never is), and an ignore-code index outside the list reads as its first item.
SearchSettings ReadSearchSettings(const std::string& dir, const SearchSettings& defaults);
// Writes them back in the file's order (Visible, FormStyle, Top, Left, Width, Height, IgnoreCase,
// Enhanced, IgnoreCode, IncludeHeader), keeping every other key. False when the file could not be
// written.
bool WriteSearchSettings(const std::string& dir, const SearchSettings& settings);

}  // namespace yuzulog
