// The main window's settings file ("Form1.INI"), the font sections, and the two list files
// ("Recent.INI", "LogSet.INI") as plain data. The window fills the defaults from its state before
// reading and applies what was read; the file's keys, their order and their encodings live here.
#pragma once

#include <string>
#include <vector>

#include "common/fontspec.h"
#include "platform/inifile.h"

namespace yuzulog {

inline constexpr const char* kMainSettingsFile = "Form1.INI";
inline constexpr const char* kRecentFile = "Recent.INI";
inline constexpr const char* kLogSetFile = "LogSet.INI";

// The web gateway that "nifty:" references outside the loaded logs are sent to.
inline constexpr const char* kDefaultInterwayPrefix =
    "https://interway.yuzuban.example/cgi-bin/go?";

// Window states as the file stores them.
enum StoredWindowState : int { kWsNormal = 0, kWsMinimized = 1, kWsMaximized = 2 };

struct WindowRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const WindowRect&) const = default;
};

// The window's rectangle centred on the screen, used as the default when the file has none.
WindowRect CenteredRect(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

struct MainSettings {
  std::string InterwayPrefix = kDefaultInterwayPrefix;  // read, never written
  int WindowState = kWsNormal;
  WindowRect Rect;        // the normal (restored) rectangle
  bool RectKnown = true;  // on saving: false leaves the four keys as the file has them
  bool SplitVert = true;  // tree at the left
  int SplitWidth = 0;     // the tree's width (at the left) or height (at the top); 0 = unset
  bool WordWrap = false;
  TColor Color = kClWindow;
  FontSpec BaseFont;
  FontSpec KeyFont = {kDesignFontName, 9, kClBlue, 0};
  bool operator==(const MainSettings&) const = default;
};

// A font's four keys (Name, Size, Color, Style) in a section of its own; a missing key leaves
// that property of font as it is.
void ReadFontFromIni(const IniFile& ini, const std::string& section, FontSpec& font);
void WriteFontToIni(IniFile& ini, const std::string& section, const FontSpec& font);

// Reads section "Window" and the two font sections of dir + "Form1.INI"; every missing key keeps
// the value it has in defaults.
MainSettings ReadMainSettings(const std::string& dir, const MainSettings& defaults);
// Writes them back, keeping every other key of the file. False when the file could not be written.
bool WriteMainSettings(const std::string& dir, const MainSettings& settings);

// A list file read whole: one entry per line (CR, LF or CR LF end a line); a missing file gives
// an empty list.
std::vector<std::string> ReadListFile(const std::string& path);
// Replaces the list file whole (also with an empty list): UTF-8, CR LF after every line.
bool WriteListFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace yuzulog
