#include "search/searchsettings.h"

#include <gtest/gtest.h>

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
            "[Window]\r\nMine=1\r\nVisible=1\r\nFormStyle=3\r\nTop=30\r\nLeft=-20\r\n"
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

}  // namespace
}  // namespace yuzulog
