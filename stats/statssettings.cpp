#include "stats/statssettings.h"

namespace yuzulog {
namespace {

constexpr const char* kWindow = "Window";

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
  const WindowPlace fitted =
      FitToDesktop({s.Left, s.Top, s.Width, s.Height},
                   {defaults.Left, defaults.Top, defaults.Width, defaults.Height}, desktop);
  s = {fitted.Left, fitted.Top, fitted.Width, fitted.Height};
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
