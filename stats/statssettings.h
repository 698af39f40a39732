// The statistics window's settings file ("Stats.INI"): its place and size, in a section of its
// own so that no other window's file is read or written for it.
#pragma once

#include <string>

#include "platform/settingsfiles.h"

namespace yuzulog {

inline constexpr const char* kStatsSettingsFile = "Stats.INI";

struct StatsSettings {
  int Left = 0;
  int Top = 0;
  int Width = 900;
  int Height = 700;
  bool operator==(const StatsSettings&) const = default;
};

// Section "Window"; a missing key keeps its value in defaults.
StatsSettings StatsSettingsFromIni(const IniFile& ini, const StatsSettings& defaults);
// The same from dir + "Stats.INI"; a file that exists but cannot be read gives the defaults and
// is noted in report.
StatsSettings ReadStatsSettings(const std::string& dir, const StatsSettings& defaults,
                                SettingsReport* report = nullptr);
// Fits the place and size to the desktop; one that cannot be used at all takes defaults'.
void FitToDesktop(StatsSettings& settings, const StatsSettings& defaults,
                  const WindowRect& desktop);
// Writes them back, keeping every other key; false when the file could not be written, or
// could not be read (now, or at start as report says) and so is left as it is.
bool WriteStatsSettings(const std::string& dir, const StatsSettings& settings,
                        SettingsReport* report = nullptr);

}  // namespace yuzulog
