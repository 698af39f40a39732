// The windows' settings files as files: a window's rectangle fitted to the desktop, and what
// reading and writing the files met, so that a file that exists but could not be read is told to
// the person and never written over (the program never saw what it holds).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/inifile.h"

namespace yuzulog {

struct WindowRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  // In 64 bits: the edges come from a file and may be any 32-bit values.
  std::int64_t Width() const { return std::int64_t{Right} - Left; }
  std::int64_t Height() const { return std::int64_t{Bottom} - Top; }
  bool operator==(const WindowRect&) const = default;
};

// The window's rectangle centred on the screen, used as the default when the file has none.
WindowRect CenteredRect(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Fits a window's rectangle to the desktop (its usable area, all screens together): no larger
// than the desktop and wholly on it; a rectangle that fits already stays as it is. False, and
// rect unchanged, when it cannot be used at all (it has no area, or the desktop has none).
bool FitToDesktop(WindowRect& rect, const WindowRect& desktop);

// A window's place and size as its settings file keeps them.
struct WindowPlace {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const WindowPlace&) const = default;
};
// place fitted to the desktop as FitToDesktop fits a rectangle; one that cannot be used at all
// gives fallback, fitted the same way.
WindowPlace FitToDesktop(const WindowPlace& place, const WindowPlace& fallback,
                         const WindowRect& desktop);

// What reading and writing the settings files met, kept from the start of a run to its end.
struct SettingsReport {
  // Files that exist but could not be read at start: they are not written at the end, since
  // the program never saw what they hold.
  std::vector<std::string> Unreadable;
  // One line per file that could not be read or written: its path and why (UTF-8).
  std::vector<std::string> Problems;
};
// The texts of the boxes that tell of them.
std::string SettingsReadProblemsText(const SettingsReport& report);
std::string SettingsWriteProblemsText(const SettingsReport& report);

// A window's settings file, read when it exists; one that exists but cannot be read reads as
// empty and is noted in report.
IniFile ReadSettingsFile(const std::string& path, SettingsReport* report);
// Writes a settings file (read anew at the end of the run, then given the window's values)
// back, unless it could not be read, now or at start as report says; false, with why noted in
// report, when it is left as it is or could not be written.
bool UpdateSettingsFile(const IniFile& ini, SettingsReport* report);

// The lines of a list file as ReadSettingsLines gives them; false when there is none, or when it
// exists but cannot be read, which is noted in report.
bool ReadSettingsFileLines(const std::string& path, std::vector<std::string>& lines,
                           SettingsReport* report);
// Replaces a list file whole with lines (see inifile.h for how they are written), unless it could
// not be read, now or at start as report says; false, with why noted in report, when it is left
// as it is or could not be written.
bool ReplaceSettingsFileLines(const std::string& path, const std::vector<std::string>& lines,
                              SettingsReport* report);

}  // namespace yuzulog
