#include "search/searchsettings.h"

#include "platform/inifile.h"

namespace yuzulog {
namespace {

constexpr const char* kWindow = "Window";

}  // namespace

SearchSettings SearchSettingsFromIni(const IniFile& ini, const SearchSettings& defaults) {
  SearchSettings s = defaults;
  s.Left = ini.ReadInteger(kWindow, "Left", defaults.Left);
  s.Top = ini.ReadInteger(kWindow, "Top", defaults.Top);
  s.Width = ini.ReadInteger(kWindow, "Width", defaults.Width);
  s.Height = ini.ReadInteger(kWindow, "Height", defaults.Height);
  s.FormStyle = ini.ReadInteger(kWindow, "FormStyle", static_cast<int>(defaults.FormStyle)) ==
                        static_cast<int>(SearchFormStyle::StayOnTop)
                    ? SearchFormStyle::StayOnTop
                    : SearchFormStyle::Normal;
  s.Visible = ini.ReadBool(kWindow, "Visible", defaults.Visible);
  s.IgnoreCase = ini.ReadBool(kWindow, "IgnoreCase", defaults.IgnoreCase);
  s.Enhanced = ini.ReadBool(kWindow, "Enhanced", defaults.Enhanced);
  const int index = ini.ReadInteger(kWindow, "IgnoreCode", static_cast<int>(defaults.IgnoreCode));
  s.IgnoreCode = IgnoreCodeFromIndex(index);
  s.IncludeHeader = ini.ReadBool(kWindow, "IncludeHeader", defaults.IncludeHeader);
  return s;
}

SearchSettings ReadSearchSettings(const std::string& dir, const SearchSettings& defaults,
                                  SettingsReport* report) {
  return SearchSettingsFromIni(ReadSettingsFile(dir + kSearchSettingsFile, report), defaults);
}

void FitToDesktop(SearchSettings& s, const SearchSettings& defaults, const WindowRect& desktop) {
  const WindowPlace fitted =
      FitToDesktop({s.Left, s.Top, s.Width, s.Height},
                   {defaults.Left, defaults.Top, defaults.Width, defaults.Height}, desktop);
  s.Left = fitted.Left;
  s.Top = fitted.Top;
  s.Width = fitted.Width;
  s.Height = fitted.Height;
}

bool WriteSearchSettings(const std::string& dir, const SearchSettings& s, SettingsReport* report) {
  IniFile ini(dir + kSearchSettingsFile);
  ini.WriteBool(kWindow, "Visible", s.Visible);
  ini.WriteInteger(kWindow, "FormStyle", static_cast<int>(s.FormStyle));
  ini.WriteInteger(kWindow, "Top", s.Top);
  ini.WriteInteger(kWindow, "Left", s.Left);
  ini.WriteInteger(kWindow, "Width", s.Width);
  ini.WriteInteger(kWindow, "Height", s.Height);
  ini.WriteBool(kWindow, "IgnoreCase", s.IgnoreCase);
  ini.WriteBool(kWindow, "Enhanced", s.Enhanced);
  ini.WriteInteger(kWindow, "IgnoreCode", static_cast<int>(s.IgnoreCode));
  ini.WriteBool(kWindow, "IncludeHeader", s.IncludeHeader);
  return UpdateSettingsFile(ini, report);
}

}  // namespace yuzulog
