#include "platform/settingsfiles.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

#include "platform/fileio.h"

namespace yuzulog {
namespace {

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

WindowPlace FitToDesktop(const WindowPlace& place, const WindowPlace& fallback,
                         const WindowRect& desktop) {
  // The far edges in 64 bits: the place and size come from a file and may be any 32-bit values.
  // A window that would reach past the last coordinate ends there.
  const auto rect = [](const WindowPlace& p) {
    const auto edge = [](int from, int length) {
      return static_cast<int>(
          std::clamp<std::int64_t>(std::int64_t{from} + length, INT_MIN, INT_MAX));
    };
    return WindowRect{p.Left, p.Top, edge(p.Left, p.Width), edge(p.Top, p.Height)};
  };
  WindowRect r = rect(place);
  if (!FitToDesktop(r, desktop)) {
    r = rect(fallback);
    FitToDesktop(r, desktop);
  }
  return {r.Left, r.Top, static_cast<int>(r.Width()), static_cast<int>(r.Height())};
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

bool ReadSettingsFileLines(const std::string& path, std::vector<std::string>& lines,
                           SettingsReport* report) {
  int error = 0;
  if (ReadSettingsLines(path, lines, &error)) return true;
  if (error != ENOENT) NoteUnreadable(report, path, error);
  return false;
}

bool ReplaceSettingsFileLines(const std::string& path, const std::vector<std::string>& lines,
                              SettingsReport* report) {
  std::vector<std::string> old;
  int readError = 0;
  ReadSettingsLines(path, old, &readError);
  if (!MayReplace(path, readError, report)) return false;
  int error = 0;
  if (WriteFileAtomically(path, SettingsFileText(lines), &error)) return true;
  NoteProblem(report, path, std::strerror(error));
  return false;
}

}  // namespace yuzulog
