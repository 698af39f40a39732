// The main window's settings file ("Form1.INI"), the font sections, and the two list files
// ("Recent.INI", "LogSet.INI") as plain data. The window fills the defaults from its state before
// reading and applies what was read; the file's keys, their order and their encodings live here,
// and so do the limits that keep a damaged file from making an unusable window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/fontspec.h"
#include "platform/inifile.h"
#include "platform/settingsfiles.h"

namespace yuzulog {

inline constexpr const char* kMainSettingsFile = "Form1.INI";
inline constexpr const char* kRecentFile = "Recent.INI";
inline constexpr const char* kLogSetFile = "LogSet.INI";

// The web gateway that "nifty:" references outside the loaded logs are sent to.
inline constexpr const char* kDefaultInterwayPrefix =
    "https://interway.yuzuban.example/cgi-bin/go?";

// Window states as the file stores them.
enum StoredWindowState : int { kWsNormal = 0, kWsMinimized = 1, kWsMaximized = 2 };

// The largest font size read from a file, in points: the largest the font dialogs offer. The
// window's own font is the message font, so a larger one makes the window too large for a screen.
inline constexpr int kMaxFontSize = 72;

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
  bool ThreadPage = false;  // a message is shown on the page of its whole thread
  bool ShowUnread = true;   // unread messages in bold, with their counts
  bool operator==(const MainSettings&) const = default;
};

// Fits what was read to the desktop (its usable area, all screens together) before the window
// applies it: the rectangle no larger than the desktop and wholly on it, the tree's size no
// larger than the desktop. False when the rectangle cannot be used at all (it has no area, or
// the desktop has none); the window then keeps the place the system gave it.
bool FitToDesktop(MainSettings& settings, const WindowRect& desktop);

// A font's four keys (Name, Size, Color, Style) in a section of its own; a missing key leaves
// that property of font as it is. A size of 0 is no size and leaves it too; other sizes are kept
// to 1-kMaxFontSize points, with their sign.
void ReadFontFromIni(const IniFile& ini, const std::string& section, FontSpec& font);
void WriteFontToIni(IniFile& ini, const std::string& section, const FontSpec& font);

// Section "Window" and the two font sections of an INI file; every missing key keeps the value
// it has in defaults.
MainSettings MainSettingsFromIni(const IniFile& ini, const MainSettings& defaults);
// The same from dir + "Form1.INI"; a file that exists but cannot be read gives the defaults and
// is noted in report.
MainSettings ReadMainSettings(const std::string& dir, const MainSettings& defaults,
                              SettingsReport* report = nullptr);
// Writes them into an INI file in the order the file has always had them (the rectangle only
// when RectKnown); other keys stay.
void MainSettingsToIni(IniFile& ini, const MainSettings& settings);
// Writes them back, keeping every other key of the file. False when the file could not be
// written, or could not be read (now, or at start as report says) and so is left as it is.
bool WriteMainSettings(const std::string& dir, const MainSettings& settings,
                       SettingsReport* report = nullptr);

// A list file read whole: one entry per line (CR, LF or CR LF end a line); a missing file gives
// an empty list, and so does one that cannot be read, which is noted in report.
std::vector<std::string> ReadListFile(const std::string& path, SettingsReport* report = nullptr);
// Replaces the list file whole (also with an empty list): UTF-8, CR LF after every line. A file
// that cannot be read (now, or at start as report says) is left as it is: false.
bool WriteListFile(const std::string& path, const std::vector<std::string>& lines,
                   SettingsReport* report = nullptr);

}  // namespace yuzulog
