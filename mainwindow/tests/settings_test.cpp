#include "mainwindow/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/logbuilder.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace yuzulog {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

MainSettings Defaults() {
  MainSettings d;
  d.Rect = CenteredRect(1920, 1080, 696, 480);
  return d;
}

TEST(MainSettings, EmptyFolderGivesTheDefaults) {
  TempDir dir;
  const MainSettings s = ReadMainSettings(dir.Path().string() + "/", Defaults());
  EXPECT_EQ(s, Defaults());
  EXPECT_EQ(s.Rect, (WindowRect{612, 300, 1308, 780}));
  EXPECT_EQ(s.Color, kClWindow);
  EXPECT_EQ(s.KeyFont.Color, kClBlue);
  EXPECT_EQ(s.KeyFont.Name, s.BaseFont.Name);
  EXPECT_TRUE(s.InterwayPrefix.ends_with("/cgi-bin/go?"));
}

TEST(MainSettings, WrittenKeysInOrderAndReadBack) {
  TempDir dir;
  const std::string d = dir.Path().string() + "/";
  MainSettings s = Defaults();
  s.WindowState = kWsMaximized;
  s.Rect = {10, 20, 710, 520};
  s.SplitVert = false;
  s.SplitWidth = 150;
  s.WordWrap = true;
  s.Color = 0x00C0FFEE;
  s.BaseFont = {"IPAGothic", 12, kClWindowText, kFsBold | kFsItalic};
  s.KeyFont = {"IPAGothic", 12, kClBlue, kFsUnderline};
  s.ShowUnread = false;
  s.InterwayPrefix = "never written";
  s.ThreadPage = true;
  ASSERT_TRUE(WriteMainSettings(d, s));
  EXPECT_EQ(
      ReadFileBytes(d + "Form1.INI"),
      "\xEF\xBB\xBF[Window]\r\nWindowState=2\r\nLeft=10\r\nTop=20\r\nRight=710\r\nBottom=520\r\n"
      "SplitVert=0\r\nSplitWidth=150\r\nWordWrap=1\r\nColor=12648430\r\n"
      "[BaseFont]\r\nName=IPAGothic\r\nSize=12\r\nColor=-2147483640\r\nStyle=3\r\n"
      "[KeyFont]\r\nName=IPAGothic\r\nSize=12\r\nColor=16711680\r\nStyle=4\r\n"
      "[Options]\r\nThreadPage=1\r\nShowUnread=0\r\n");
  MainSettings back = ReadMainSettings(d, Defaults());
  EXPECT_EQ(back.InterwayPrefix, Defaults().InterwayPrefix);
  back.InterwayPrefix = s.InterwayPrefix;
  EXPECT_EQ(back, s);
}

TEST(MainSettings, UnknownRectangleKeepsTheStoredOneAndOtherKeysSurvive) {
  TempDir dir;
  const std::string d = dir.Path().string() + "/";
  dir.Write("Form1.INI",
            "[Window]\r\nNiftyInterwayPrefix=http://gw.example/cgi-bin/go?\r\nLeft=1\r\n"
            "Top=2\r\nRight=3\r\nBottom=4\r\n[Mine]\r\nx=y\r\n");
  MainSettings s = Defaults();
  s.RectKnown = false;
  ASSERT_TRUE(WriteMainSettings(d, s));
  const MainSettings back = ReadMainSettings(d, Defaults());
  EXPECT_EQ(back.Rect, (WindowRect{1, 2, 3, 4}));
  EXPECT_EQ(back.InterwayPrefix, "http://gw.example/cgi-bin/go?");
  EXPECT_NE(ReadFileBytes(d + "Form1.INI").find("[Mine]\r\nx=y\r\n"), std::string::npos);
}

TEST(MainSettings, GarbageValuesFallBackToDefaults) {
  TempDir dir;
  dir.Write("Form1.INI",
            "[Window]\nWindowState=7\nLeft=abc\nSplitVert=\nColor=0x80000008\n"
            "[BaseFont]\nSize=x\nStyle=255\n");
  const MainSettings s = ReadMainSettings(dir.Path().string() + "/", Defaults());
  EXPECT_EQ(s.WindowState, kWsNormal);
  EXPECT_EQ(s.Rect.Left, Defaults().Rect.Left);
  EXPECT_TRUE(s.SplitVert);
  EXPECT_EQ(s.Color, kClWindowText);
  EXPECT_EQ(s.BaseFont.Size, Defaults().BaseFont.Size);
  EXPECT_EQ(s.BaseFont.Style, 15);
}

TEST(MainSettings, FontSizesAreKeptToASaneRange) {
  // The page writes a size without its sign, so a negative size keeps its sign; a size of 0 is
  // no size and keeps the default.
  const std::pair<const char*, int> cases[] = {
      {"12", 12}, {"-12", -12},         {"1", 1},           {"72", 72}, {"73", 72}, {"32767", 72},
      {"0", 9},   {"-2147483648", -72}, {"2147483647", 72},
  };
  for (const auto& [stored, expected] : cases) {
    TempDir dir;
    dir.Write("Form1.INI", std::string("[BaseFont]\r\nSize=") + stored +
                               "\r\n[KeyFont]\r\nSize=" + stored + "\r\n");
    const MainSettings s = ReadMainSettings(dir.Path().string() + "/", Defaults());
    EXPECT_EQ(s.BaseFont.Size, expected) << stored;
    EXPECT_EQ(s.KeyFont.Size, expected) << stored;
  }
}

TEST(MainSettings, AFileThatCannotBeReadIsNeverWritten) {
  // Files the program may not read (mode 000): writing its own values would lose the rest.
  TempDir dir;
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
  const std::string d = dir.Path().string() + "/";
  const std::string form = "[Window]\r\nLeft=1\r\n[Mine]\r\nx=y\r\n";
  dir.Write("Form1.INI", form);
  dir.Write("Recent.INI", "/logs\r\n");
  for (const char* name : {"Form1.INI", "Recent.INI"})
    std::filesystem::permissions(dir.File(name), std::filesystem::perms::none);
  const int written = testing::RunUnprivileged([&] {
    const MainSettings s = ReadMainSettings(d, Defaults());
    return (WriteMainSettings(d, s) ? 1 : 0) + (WriteListFile(d + "Recent.INI", {}) ? 2 : 0);
  });
  EXPECT_EQ(written, 0);
  EXPECT_EQ(ReadFileBytes(d + "Form1.INI"), form);
  EXPECT_EQ(ReadFileBytes(d + "Recent.INI"), "/logs\r\n");
}

TEST(FontIni, MissingKeysLeaveTheFontAsItIs) {
  TempDir dir;
  const IniFile ini(dir.Write("f.INI", "[F]\nSize=14\n"));
  FontSpec f{"Name0", 9, kClBlue, kFsBold};
  ReadFontFromIni(ini, "F", f);
  EXPECT_EQ(f, (FontSpec{"Name0", 14, kClBlue, kFsBold}));
}

TEST(FontIni, Cp932SettingsFromTheOldPlatformLoad) {
  TempDir dir;
  const IniFile ini(dir.Write("f.INI", testing::Sjis("[BaseFont]\r\nName=ＭＳ ゴシック\r\n")));
  FontSpec f;
  ReadFontFromIni(ini, "BaseFont", f);
  EXPECT_EQ(f.Name, "ＭＳ ゴシック");
}

TEST(ListFile, ReadWholeWithEveryLineEnd) {
  TempDir dir;
  EXPECT_TRUE(ReadListFile(dir.File("Recent.INI")).empty());
  const auto lines = ReadListFile(dir.Write("Recent.INI", "/a\r\n/b\r/c\n\n/d"));
  EXPECT_EQ(lines, (std::vector<std::string>{"/a", "/b", "/c", "", "/d"}));
}

TEST(ListFile, WrittenWholeAlsoWhenEmpty) {
  TempDir dir;
  const std::string p = dir.Write("LogSet.INI", "\"old\",\"/x\"\r\n");
  ASSERT_TRUE(WriteListFile(p, {"\"set\",\"/l/ログ.LOG\"", "\"b\""}));
  EXPECT_EQ(ReadFileBytes(p), "\xEF\xBB\xBF\"set\",\"/l/ログ.LOG\"\r\n\"b\"\r\n");
  EXPECT_EQ(ReadListFile(p), (std::vector<std::string>{"\"set\",\"/l/ログ.LOG\"", "\"b\""}));
  ASSERT_TRUE(WriteListFile(p, {}));
  EXPECT_EQ(ReadFileBytes(p), "\xEF\xBB\xBF");
}

TEST(ListFile, Cp932ListIsDecoded) {
  TempDir dir;
  const auto lines = ReadListFile(dir.Write("Recent.INI", testing::Sjis("/ログ\r\n")));
  EXPECT_EQ(lines, (std::vector<std::string>{"/ログ"}));
}

}  // namespace
}  // namespace yuzulog
