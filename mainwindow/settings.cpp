#include "mainwindow/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace yuzulog {
namespace {

constexpr const char* kWindow = "Window";

// A stored size as a font can take it; 0 (no size) keeps current.
int FontSize(std::int32_t stored, int current) {
  if (stored == 0) return current;
  const std::int64_t points = std::min<std::int64_t>(std::abs(std::int64_t{stored}), kMaxFontSize);
  return static_cast<int>(stored < 0 ? -points : points);
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

void NoteProblem(SettingsReport* report, const std::string& path, const std::string& why) {
  if (report) report->Problems.push_back(path + "（" + why + "）");
}

void NoteUnreadable(SettingsReport* report, const std::string& path, int error) {
  if (!report) return;
  report->Unreadable.push_back(path);
  NoteProblem(report, path, std::strerror(error));
}

// Whether path may be written: false (noted in report) for a file that could not be read at
// start, or cannot be read now.
bool MayReplace(const std::string& path, int readErrorNow, SettingsReport* report) {
  if (report && Contains(report->Unreadable, path)) {
    NoteProblem(report, path, "起動時に読み込めなかったため、書き換えません");
    return false;
  }
  if (readErrorNow != 0 && readErrorNow != ENOENT) {
    NoteProblem(report, path,
                std::string("読み込めないため、書き換えません：") + std::strerror(readErrorNow));
    return false;
  }
  return true;
}

std::string WithLines(std::string text, const SettingsReport& report) {
  text += "\r\n";
  for (const std::string& line : report.Problems)
    text += "\r\n" + line;
  return text;
}

}  // namespace

WindowRect CenteredRect(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
  WindowRect r;
  r.Left = (screenWidth - windowWidth) / 2;
  r.Top = (screenHeight - windowHeight) / 2;
  r.Right = r.Left + windowWidth;
  r.Bottom = r.Top + windowHeight;
  return r;
}

bool FitToDesktop(WindowRect& rect, const WindowRect& desktop) {
  const std::int64_t deskWidth = desktop.Width();
  const std::int64_t deskHeight = desktop.Height();
  if (rect.Width() <= 0 || rect.Height() <= 0 || deskWidth <= 0 || deskHeight <= 0) return false;
  // A window larger than the desktop takes memory for pixels no one sees (4 bytes each: a
  // 32768-pixel square window takes gigabytes); one off the desktop cannot be reached.
  const std::int64_t width = std::min(rect.Width(), deskWidth);
  const std::int64_t height = std::min(rect.Height(), deskHeight);
  const std::int64_t left =
      std::clamp<std::int64_t>(rect.Left, desktop.Left, desktop.Right - width);
  const std::int64_t top = std::clamp<std::int64_t>(rect.Top, desktop.Top, desktop.Bottom - height);
  rect = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
          static_cast<int>(top + height)};
  return true;
}

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

std::string SettingsReadProblemsText(const SettingsReport& report) {
  return WithLines(
      "設定ファイルを読み込めませんでした。その設定は既定の値で始めます。\r\n"
      "読み込めなかったファイルは、終了するときにも書き換えません。",
      report);
}

std::string SettingsWriteProblemsText(const SettingsReport& report) {
  return WithLines("設定ファイルを保存できませんでした。", report);
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
  return s;
}

IniFile ReadSettingsFile(const std::string& path, SettingsReport* report) {
  IniFile ini(path);
  if (ini.ReadError() != 0) NoteUnreadable(report, ini.Path(), ini.ReadError());
  return ini;
}

bool UpdateSettingsFile(const IniFile& ini, SettingsReport* report) {
  if (!MayReplace(ini.Path(), ini.ReadError(), report)) return false;
  int error = 0;
  if (ini.UpdateFile(&error)) return true;
  NoteProblem(report, ini.Path(), std::strerror(error));
  return false;
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
}

bool WriteMainSettings(const std::string& dir, const MainSettings& s, SettingsReport* report) {
  IniFile ini(dir + kMainSettingsFile);
  MainSettingsToIni(ini, s);
  return UpdateSettingsFile(ini, report);
}

std::vector<std::string> ReadListFile(const std::string& path, SettingsReport* report) {
  std::vector<std::string> lines;
  std::string text;
  int error = 0;
  if (!ReadSettingsText(path, text, &error)) {
    if (error != ENOENT) NoteUnreadable(report, path, error);
    return lines;
  }
  for (const std::string_view line : SplitLines(text))
    lines.emplace_back(line);
  return lines;
}

bool WriteListFile(const std::string& path, const std::vector<std::string>& lines,
                   SettingsReport* report) {
  std::string old;
  int readError = 0;
  ReadSettingsText(path, old, &readError);
  if (!MayReplace(path, readError, report)) return false;
  std::string text;
  for (const std::string& l : lines)
    text += l + "\r\n";
  int error = 0;
  if (WriteFileAtomically(path, text, &error)) return true;
  NoteProblem(report, path, std::strerror(error));
  return false;
}

}  // namespace yuzulog
