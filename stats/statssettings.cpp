#include "stats/statssettings.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace yuzulog {
namespace {

constexpr const char* kWindow = "Window";

// The far edge in 64 bits: the place and size come from a file and may be any 32-bit values.
int Edge(int from, int length) {
  return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{from} + length, INT_MIN, INT_MAX));
}

}  // namespace

StatsSettings StatsSettingsFromIni(const IniFile& ini, const StatsSettings& defaults) {
  StatsSettings s = defaults;
  s.Left = ini.ReadInteger(kWindow, "Left", defaults.Left);
  s.Top = ini.ReadInteger(kWindow, "Top", defaults.Top);
  s.Width = ini.ReadInteger(kWindow, "Width", defaults.Width);
  s.Height = ini.ReadInteger(kWindow, "Height", defaults.Height);
  return s;
}

StatsSettings ReadStatsSettings(const std::string& dir, const StatsSettings& defaults,
                                SettingsReport* report) {
  return StatsSettingsFromIni(ReadSettingsFile(dir + kStatsSettingsFile, report), defaults);
}

void FitToDesktop(StatsSettings& s, const StatsSettings& defaults, const WindowRect& desktop) {
  WindowRect r{s.Left, s.Top, Edge(s.Left, s.Width), Edge(s.Top, s.Height)};
  if (!FitToDesktop(r, desktop)) {
    r = {defaults.Left, defaults.Top, Edge(defaults.Left, defaults.Width),
         Edge(defaults.Top, defaults.Height)};
    FitToDesktop(r, desktop);
  }
  s.Left = r.Left;
  s.Top = r.Top;
  s.Width = static_cast<int>(r.Width());
  s.Height = static_cast<int>(r.Height());
}

bool WriteStatsSettings(const std::string& dir, const StatsSettings& s, SettingsReport* report) {
  IniFile ini(dir + kStatsSettingsFile);
  ini.WriteInteger(kWindow, "Top", s.Top);
  ini.WriteInteger(kWindow, "Left", s.Left);
  ini.WriteInteger(kWindow, "Width", s.Width);
  ini.WriteInteger(kWindow, "Height", s.Height);
  return UpdateSettingsFile(ini, report);
}

}  // namespace yuzulog
