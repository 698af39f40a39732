#include "search/searchsettings.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <filesystem>

#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

SearchSettings Defaults() {
  SearchSettings d;
  d.Left = 100;
  d.Top = 50;
  return d;
}

TEST(SearchSettings, MissingFileGivesTheDefaults) {
  TempDir dir;
  const SearchSettings s = ReadSearchSettings(dir.Path().string() + "/", Defaults());
  EXPECT_EQ(s, Defaults());
  EXPECT_TRUE(s.IgnoreCase);
  EXPECT_FALSE(s.Visible);
  EXPECT_EQ(s.FormStyle, SearchFormStyle::Normal);
}

TEST(SearchSettings, RoundTripInTheFileOrderKeepingOtherKeys) {
  TempDir dir;
  const std::string d = dir.Path().string() + "/";
  dir.Write("Form2.INI", "[Window]\r\nMine=1\r\n[Other]\r\nx=y\r\n");
  SearchSettings s;
  s.Left = -20;
  s.Top = 30;
  s.Width = 500;
  s.Height = 600;
  s.FormStyle = SearchFormStyle::StayOnTop;
  s.Visible = true;
  s.IgnoreCase = false;
  s.Enhanced = true;
  s.IgnoreCode = IgnoreCode::LineBreaksAndBlanks;
  s.IncludeHeader = true;
  ASSERT_TRUE(WriteSearchSettings(d, s));
  EXPECT_EQ(ReadSearchSettings(d, Defaults()), s);
  EXPECT_EQ(ReadFileBytes(d + "Form2.INI"),
            "\xEF\xBB\xBF[Window]\r\nMine=1\r\nVisible=1\r\nFormStyle=3\r\nTop=30\r\nLeft=-20\r\n"
            "Width=500\r\nHeight=600\r\nIgnoreCase=0\r\nEnhanced=1\r\nIgnoreCode=2\r\n"
            "IncludeHeader=1\r\n[Other]\r\nx=y\r\n");
}

TEST(SearchSettings, StrayStylesAndIndexesReadAsTheFirstChoice) {
  TempDir dir;
  const std::string d = dir.Path().string() + "/";
  dir.Write("Form2.INI", "[window]\nformstyle=1\nIgnoreCode=7\nVisible=-1\nWidth=abc\n");
  const SearchSettings s = ReadSearchSettings(d, Defaults());
  EXPECT_EQ(s.FormStyle, SearchFormStyle::Normal);
  EXPECT_EQ(s.IgnoreCode, IgnoreCode::None);
  EXPECT_TRUE(s.Visible);  // any integer other than 0
  EXPECT_EQ(s.Width, 403);
}

TEST(SearchSettings, PlaceAndSizeAreFittedToTheDesktop) {
  // A 1920 x 1080 desktop whose left edge is at -100; the defaults are centred on it.
  const WindowRect desk{-100, 0, 1820, 1080};
  SearchSettings defaults;
  defaults.Left = 658;
  defaults.Top = 306;
  struct Case {
    int Left, Top, Width, Height;
    int FitLeft, FitTop, FitWidth, FitHeight;
  };
  const Case cases[] = {
      {40, 30, 420, 500, 40, 30, 420, 500},                        // fits: kept
      {0, 0, 100000, 100000, -100, 0, 1920, 1080},                 // huge
      {5000, -900, 400, 300, 1420, 0, 400, 300},                   // off the desktop
      {INT_MAX - 5, INT_MIN, INT_MAX, INT_MAX, 1815, 0, 5, 1080},  // edges past the last value
      {INT_MIN, 10, -1, 300, 658, 306, 403, 468},                  // no area: the defaults
      {10, 10, 0, 300, 658, 306, 403, 468},
  };
  for (const Case& c : cases) {
    SearchSettings s;
    s.Left = c.Left;
    s.Top = c.Top;
    s.Width = c.Width;
    s.Height = c.Height;
    FitToDesktop(s, defaults, desk);
    EXPECT_EQ((std::array{s.Left, s.Top, s.Width, s.Height}),
              (std::array{c.FitLeft, c.FitTop, c.FitWidth, c.FitHeight}))
        << c.Left << "," << c.Top << " " << c.Width << "x" << c.Height;
  }
}

TEST(SearchSettings, AFileThatCouldNotBeReadAtStartIsToldAndNeverWritten) {
  // A folder where the file should be cannot be read; by the end of the run a file is there, but
  // what it holds was never seen, so it is not replaced.
  TempDir dir;
  const std::string d = dir.Path().string() + "/";
  std::filesystem::create_directory(d + "Form2.INI");
  SettingsReport report;
  const SearchSettings s = ReadSearchSettings(d, Defaults(), &report);
  EXPECT_EQ(s, Defaults());
  ASSERT_EQ(report.Problems.size(), 1u);
  std::filesystem::remove(d + "Form2.INI");
  const std::string form = "[Window]\r\nLeft=1\r\n[Mine]\r\nx=y\r\n";
  dir.Write("Form2.INI", form);
  EXPECT_FALSE(WriteSearchSettings(d, s, &report));
  EXPECT_EQ(ReadFileBytes(d + "Form2.INI"), form);
}

}  // namespace
}  // namespace yuzulog
