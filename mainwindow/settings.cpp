#include "mainwindow/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace yuzulog {
namespace {

constexpr const char* kWindow = "Window";
constexpr const char* kOptions = "Options";

// A stored size as a font can take it; 0 (no size) keeps current.
int FontSize(std::int32_t stored, int current) {
  if (stored == 0) return current;
  const std::int64_t points = std::min<std::int64_t>(std::abs(std::int64_t{stored}), kMaxFontSize);
  return static_cast<int>(stored < 0 ? -points : points);
}

}  // namespace

bool FitToDesktop(MainSettings& s, const WindowRect& desktop) {
  s.SplitWidth = static_cast<int>(std::min<std::int64_t>(
      s.SplitWidth, std::max<std::int64_t>({desktop.Width(), desktop.Height(), 0})));
  return FitToDesktop(s.Rect, desktop);
}

void ReadFontFromIni(const IniFile& ini, const std::string& section, FontSpec& font) {
  font.Name = ini.ReadString(section, "Name", font.Name);
  font.Size = FontSize(ini.ReadInteger(section, "Size", font.Size), font.Size);
  font.Color = ini.ReadInteger(section, "Color", font.Color);
  // Only the four style bits mean anything; stray bits from a damaged file are dropped.
  font.Style = ini.ReadInteger(section, "Style", font.Style) & 0xF;
}

void WriteFontToIni(IniFile& ini, const std::string& section, const FontSpec& font) {
  ini.WriteString(section, "Name", font.Name);
  ini.WriteInteger(section, "Size", font.Size);
  ini.WriteInteger(section, "Color", font.Color);
  ini.WriteInteger(section, "Style", font.Style);
}

MainSettings MainSettingsFromIni(const IniFile& ini, const MainSettings& defaults) {
  MainSettings s = defaults;
  s.InterwayPrefix = ini.ReadString(kWindow, "NiftyInterwayPrefix", defaults.InterwayPrefix);
  s.Rect.Left = ini.ReadInteger(kWindow, "Left", defaults.Rect.Left);
  s.Rect.Top = ini.ReadInteger(kWindow, "Top", defaults.Rect.Top);
  s.Rect.Right = ini.ReadInteger(kWindow, "Right", defaults.Rect.Right);
  s.Rect.Bottom = ini.ReadInteger(kWindow, "Bottom", defaults.Rect.Bottom);
  s.WindowState = ini.ReadInteger(kWindow, "WindowState", defaults.WindowState);
  if (s.WindowState < kWsNormal || s.WindowState > kWsMaximized) s.WindowState = kWsNormal;
  s.SplitVert = ini.ReadBool(kWindow, "SplitVert", defaults.SplitVert);
  s.SplitWidth = ini.ReadInteger(kWindow, "SplitWidth", defaults.SplitWidth);
  s.WordWrap = ini.ReadBool(kWindow, "WordWrap", defaults.WordWrap);
  s.Color = ini.ReadInteger(kWindow, "Color", defaults.Color);
  ReadFontFromIni(ini, "BaseFont", s.BaseFont);
  ReadFontFromIni(ini, "KeyFont", s.KeyFont);
  s.ThreadPage = ini.ReadBool(kOptions, "ThreadPage", defaults.ThreadPage);
  s.ShowUnread = ini.ReadBool(kOptions, "ShowUnread", defaults.ShowUnread);
  return s;
}

MainSettings ReadMainSettings(const std::string& dir, const MainSettings& defaults,
                              SettingsReport* report) {
  return MainSettingsFromIni(ReadSettingsFile(dir + kMainSettingsFile, report), defaults);
}

void MainSettingsToIni(IniFile& ini, const MainSettings& s) {
  ini.WriteInteger(kWindow, "WindowState", s.WindowState);
  if (s.RectKnown) {
    ini.WriteInteger(kWindow, "Left", s.Rect.Left);
    ini.WriteInteger(kWindow, "Top", s.Rect.Top);
    ini.WriteInteger(kWindow, "Right", s.Rect.Right);
    ini.WriteInteger(kWindow, "Bottom", s.Rect.Bottom);
  }
  ini.WriteBool(kWindow, "SplitVert", s.SplitVert);
  ini.WriteInteger(kWindow, "SplitWidth", s.SplitWidth);
  ini.WriteBool(kWindow, "WordWrap", s.WordWrap);
  ini.WriteInteger(kWindow, "Color", s.Color);
  WriteFontToIni(ini, "BaseFont", s.BaseFont);
  WriteFontToIni(ini, "KeyFont", s.KeyFont);
  ini.WriteBool(kOptions, "ThreadPage", s.ThreadPage);
  ini.WriteBool(kOptions, "ShowUnread", s.ShowUnread);
}

bool WriteMainSettings(const std::string& dir, const MainSettings& s, SettingsReport* report) {
  IniFile ini(dir + kMainSettingsFile);
  MainSettingsToIni(ini, s);
  return UpdateSettingsFile(ini, report);
}

std::vector<std::string> ReadListFile(const std::string& path, SettingsReport* report) {
  std::vector<std::string> lines;
  if (!ReadSettingsFileLines(path, lines, report)) lines.clear();
  return lines;
}

bool WriteListFile(const std::string& path, const std::vector<std::string>& lines,
                   SettingsReport* report) {
  return ReplaceSettingsFileLines(path, lines, report);
}

}  // namespace yuzulog
