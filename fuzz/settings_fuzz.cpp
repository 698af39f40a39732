// Any bytes as the main window's settings file, on any desktop: what the window is handed is
// always usable (a state it knows, font sizes in range, a rectangle with area wholly on the
// desktop, a tree no larger than the desktop), and what is written reads back the same. The same
// bytes as the search window's file give a place and size with area wholly on the desktop. The
// first 16 bytes give the desktop's usable area, the rest is the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "mainwindow/settings.h"
#include "search/searchsettings.h"

namespace {

std::int32_t Int32At(const std::uint8_t* p) {
  std::int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

bool SaneFont(const yuzulog::FontSpec& f) {
  const std::int64_t size = std::llabs(f.Size);
  return size >= 1 && size <= yuzulog::kMaxFontSize && f.Style >= 0 && f.Style <= 15;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace yuzulog;
  if (size < 16) return 0;
  // A desktop somewhere within 100000 pixels of the origin, at least one pixel in each direction.
  WindowRect desktop;
  desktop.Left = Int32At(data) % 100000;
  desktop.Top = Int32At(data + 4) % 100000;
  desktop.Right =
      desktop.Left + 1 + static_cast<int>(static_cast<std::uint32_t>(Int32At(data + 8)) % 100000);
  desktop.Bottom =
      desktop.Top + 1 + static_cast<int>(static_cast<std::uint32_t>(Int32At(data + 12)) % 100000);
  const std::string_view text(reinterpret_cast<const char*>(data + 16), size - 16);

  MainSettings defaults;
  defaults.Rect =
      CenteredRect(static_cast<int>(desktop.Width()), static_cast<int>(desktop.Height()), 696, 480);
  MainSettings s = MainSettingsFromIni(IniFile::FromText("Form1.INI", text), defaults);
  if (s.WindowState < kWsNormal || s.WindowState > kWsMaximized) __builtin_trap();
  if (!SaneFont(s.BaseFont) || !SaneFont(s.KeyFont)) __builtin_trap();

  const MainSettings read = s;
  if (FitToDesktop(s, desktop)) {
    const WindowRect& r = s.Rect;
    if (r.Width() <= 0 || r.Height() <= 0 || r.Left < desktop.Left || r.Top < desktop.Top ||
        r.Right > desktop.Right || r.Bottom > desktop.Bottom)
      __builtin_trap();
    // A rectangle that already fits stays as it was.
    const WindowRect& was = read.Rect;
    if (was.Left >= desktop.Left && was.Top >= desktop.Top && was.Right <= desktop.Right &&
        was.Bottom <= desktop.Bottom && was.Width() > 0 && was.Height() > 0 && !(was == r))
      __builtin_trap();
  } else if (read.Rect.Width() > 0 && read.Rect.Height() > 0) {
    __builtin_trap();  // the desktop always has area here
  }
  if (s.SplitWidth > std::max(desktop.Width(), desktop.Height())) __builtin_trap();

  // Written and read again, the settings come back as they were (the font names aside: the file
  // format drops blanks and quotes around a value).
  IniFile written = IniFile::FromText("Form1.INI", text);
  MainSettingsToIni(written, s);
  MainSettings back = MainSettingsFromIni(IniFile::FromText("Form1.INI", written.Text()), defaults);
  back.InterwayPrefix = s.InterwayPrefix;
  back.BaseFont.Name = s.BaseFont.Name;
  back.KeyFont.Name = s.KeyFont.Name;
  if (!(back == s)) __builtin_trap();

  SearchSettings searchDefaults;
  searchDefaults.Left = desktop.Left;
  searchDefaults.Top = desktop.Top;
  SearchSettings search =
      SearchSettingsFromIni(IniFile::FromText("Form2.INI", text), searchDefaults);
  FitToDesktop(search, searchDefaults, desktop);
  const std::int64_t right = std::int64_t{search.Left} + search.Width;
  const std::int64_t bottom = std::int64_t{search.Top} + search.Height;
  if (search.Width <= 0 || search.Height <= 0 || search.Left < desktop.Left ||
      search.Top < desktop.Top || right > desktop.Right || bottom > desktop.Bottom)
    __builtin_trap();
  return 0;
}
