#include "platform/inifile.h"
#include "platform/settingsfiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/logbuilder.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace yuzulog {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

TEST(IniFile, MissingFileAndKeysGiveDefaults) {
  TempDir dir;
  IniFile ini(dir.File("none.INI"));
  EXPECT_EQ(ini.ReadString("Window", "Name", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Window", "Left", 42), 42);
  EXPECT_TRUE(ini.ReadBool("Window", "WordWrap", true));
  EXPECT_FALSE(ini.SectionExists("Window"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.INI")));  // reading never creates it
}

TEST(IniFile, AFileThatCannotBeReadIsToldFromAMissingOneAndNeverWritten) {
  TempDir dir;
  EXPECT_EQ(IniFile(dir.File("none.INI")).ReadError(), 0);
  std::filesystem::create_directory(dir.File("folder.INI"));
  IniFile unreadable(dir.File("folder.INI"));
  EXPECT_EQ(unreadable.ReadError(), EISDIR);
  unreadable.WriteInteger("S", "A", 1);
  int error = 0;
  EXPECT_FALSE(unreadable.UpdateFile(&error));
  EXPECT_EQ(error, EISDIR);
  // A pipe is read without waiting for a writer: as an empty file.
  ASSERT_EQ(::mkfifo(dir.File("pipe.INI").c_str(), 0600), 0);
  const IniFile pipe(dir.File("pipe.INI"));
  EXPECT_EQ(pipe.ReadError(), 0);
  EXPECT_FALSE(pipe.SectionExists("S"));
}

TEST(IniFile, SectionsAndKeysIgnoreAsciiCaseOnly) {
  TempDir dir;
  IniFile ini(dir.Write("a.INI", "[Window]\r\nLeft=10\r\n[ＡＢ]\r\nx=1\r\n"));
  EXPECT_EQ(ini.ReadInteger("WINDOW", "left", 0), 10);
  EXPECT_EQ(ini.ReadInteger("ＡＢ", "X", 0), 1);
  EXPECT_EQ(ini.ReadInteger("ａｂ", "x", 7), 7);  // full-width letters do not fold
}

TEST(IniFile, IntegersDecimalHexAndGarbage) {
  TempDir dir;
  IniFile ini(dir.Write("a.INI",
                        "[S]\nDec=-2147483643\nHex=0x80000005\nHexLow=0xff\nPlus=+12\n"
                        "Spaces =  34  \nText=12abc\nEmpty=\nTooBig=4294967296\nNeg=-0x10\n"
                        "Max=4294967295\nMinus=-\n"));
  EXPECT_EQ(ini.ReadInteger("S", "Dec", 0), -2147483643);
  EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), -2147483643);
  EXPECT_EQ(ini.ReadInteger("S", "HexLow", 0), 255);
  EXPECT_EQ(ini.ReadInteger("S", "Plus", 0), 12);
  EXPECT_EQ(ini.ReadInteger("S", "Spaces", 0), 34);
  EXPECT_EQ(ini.ReadInteger("S", "Text", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "Empty", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "TooBig", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "Neg", 0), -16);
  EXPECT_EQ(ini.ReadInteger("S", "Max", 0), -1);
  EXPECT_EQ(ini.ReadInteger("S", "Minus", 5), 5);
}

TEST(IniFile, BooleansAreAnyNonZeroInteger) {
  TempDir dir;
  IniFile ini(dir.Write("a.INI", "[S]\nA=1\nB=0\nC=-3\nD=yes\n"));
  EXPECT_TRUE(ini.ReadBool("S", "A", false));
  EXPECT_FALSE(ini.ReadBool("S", "B", true));
  EXPECT_TRUE(ini.ReadBool("S", "C", false));
  EXPECT_TRUE(ini.ReadBool("S", "D", true));
  EXPECT_FALSE(ini.ReadBool("S", "D", false));
}

TEST(IniFile, LineEndsCrLfCrAndLfAllRead) {
  TempDir dir;
  IniFile ini(dir.Write("a.INI", "[S]\rA=1\nB=2\r\nC=3"));
  EXPECT_EQ(ini.ReadInteger("S", "A", 0), 1);
  EXPECT_EQ(ini.ReadInteger("S", "B", 0), 2);
  EXPECT_EQ(ini.ReadInteger("S", "C", 0), 3);
}

TEST(IniFile, QuotedValuesLoseTheirQuotes) {
  TempDir dir;
  IniFile ini(dir.Write("a.INI", "[S]\nA=\" x \"\nB=\"\nC=a=b\n"));
  EXPECT_EQ(ini.ReadString("S", "A", ""), " x ");
  EXPECT_EQ(ini.ReadString("S", "B", ""), "\"");
  EXPECT_EQ(ini.ReadString("S", "C", ""), "a=b");
}

TEST(IniFile, WritingKeepsOtherSectionsKeysAndComments) {
  TempDir dir;
  const std::string path = dir.Write("a.INI",
                                     "; kept comment\r\n[Other]\r\nKeep=me\r\n\r\n"
                                     "[Window]\r\nLeft=1\r\nmine=x\r\n");
  IniFile ini(path);
  ini.WriteInteger("window", "LEFT", 20);
  ini.WriteBool("Window", "WordWrap", true);
  ini.WriteString("BaseFont", "Name", "ＭＳ ゴシック");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(ReadFileBytes(path),
            "\xEF\xBB\xBF; kept comment\r\n[Other]\r\nKeep=me\r\n\r\n"
            "[Window]\r\nLeft=20\r\nmine=x\r\nWordWrap=1\r\n"
            "[BaseFont]\r\nName=ＭＳ ゴシック\r\n");
  IniFile again(path);
  EXPECT_EQ(again.ReadString("Other", "Keep", ""), "me");
  EXPECT_EQ(again.ReadInteger("Window", "Left", 0), 20);
  EXPECT_EQ(again.ReadString("BaseFont", "Name", ""), "ＭＳ ゴシック");
}

TEST(IniFile, ValueWithLineBreakStaysOneLine) {
  TempDir dir;
  IniFile ini(dir.File("a.INI"));
  ini.WriteString("S", "A", "one\r\n[Evil]\nB=2");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(ReadFileBytes(dir.File("a.INI")), "\xEF\xBB\xBF[S]\r\nA=one%0D%0A[Evil]%0AB=2\r\n");
  IniFile again(dir.File("a.INI"));
  EXPECT_FALSE(again.SectionExists("Evil"));
  EXPECT_EQ(again.ReadString("S", "A", ""), "one\r\n[Evil]\nB=2");
}

TEST(IniFile, Cp932FileIsReadAndRewrittenAsUtf8) {
  TempDir dir;
  const std::string path =
      dir.Write("a.INI", testing::Sjis("[BaseFont]\r\nName=ＭＳ Ｐゴシック\r\n"));
  IniFile ini(path);
  EXPECT_EQ(ini.ReadString("BaseFont", "Name", ""), "ＭＳ Ｐゴシック");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(ReadFileBytes(path), "\xEF\xBB\xBF[BaseFont]\r\nName=ＭＳ Ｐゴシック\r\n");
}

TEST(IniFile, FailedWriteLeavesOldFileAndNoTemporary) {
  TempDir dir;
  const std::string path = dir.Write("a.INI", "[S]\r\nA=1\r\n");
  namespace fs = std::filesystem;
  fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EQ(testing::RunUnprivileged([&] {
              IniFile ini(path);
              ini.WriteInteger("S", "A", 2);
              return ini.UpdateFile() ? 1 : 0;
            }),
            0);
  fs::permissions(dir.Path(), fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(path), "[S]\r\nA=1\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1);
}

TEST(IniFile, WriteIntoMissingFolderFailsCleanly) {
  TempDir dir;
  IniFile ini(dir.File("no/such/a.INI"));
  ini.WriteInteger("S", "A", 2);
  EXPECT_FALSE(ini.UpdateFile());
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(IniFile, AtomicWriteLeavesOnlyTheTargetFile) {
  TempDir dir;
  ASSERT_TRUE(WriteFileAtomically(dir.File("x.INI"), "abc"));
  ASSERT_TRUE(WriteFileAtomically(dir.File("x.INI"), "de"));
  EXPECT_EQ(ReadFileBytes(dir.File("x.INI")), "de");
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
    ++files;
  EXPECT_EQ(files, 1);
}

TEST(SettingsLines, NonUtf8BytesPercentSignsAndLineBreaksComeBackAsTheyWere) {
  // A set whose folder is named in code page 932 once made the whole list invalid UTF-8: read
  // back as code page 932, every other set's name was garbled. A CR or LF in a path split its line.
  const std::string sjisPath = "/logs/" + testing::Sjis("ログ") + "/a.LOG";
  const std::vector<std::string> lines = {"\"柚子\",\"/y/1.LOG\"", "\"s\",\"" + sjisPath + "\"",
                                          "\"100%\",\"/a\r\nb/c%41.LOG\"", ""};
  EXPECT_EQ(SettingsFileText(lines),
            "\xEF\xBB\xBF\"柚子\",\"/y/1.LOG\"\r\n"
            "\"s\",\"/logs/%83%8D%83O/a.LOG\"\r\n"
            "\"100%25\",\"/a%0D%0Ab/c%2541.LOG\"\r\n\r\n");
  TempDir dir;
  const std::string path = dir.File("LogSet.INI");
  ASSERT_TRUE(ReplaceSettingsFileLines(path, lines, nullptr));
  std::vector<std::string> read;
  ASSERT_TRUE(ReadSettingsFileLines(path, read, nullptr));
  EXPECT_EQ(read, lines);
  // Without the mark, as the old platform and earlier versions wrote: '%' is literal, and bytes
  // that are not UTF-8 make the file code page 932.
  EXPECT_EQ(SettingsFileLines("100%25\r\n/a%0A\n"), (std::vector<std::string>{"100%25", "/a%0A"}));
  EXPECT_EQ(SettingsFileLines(testing::Sjis("/ログ\r\n")), (std::vector<std::string>{"/ログ"}));
  // A '%' that no escape follows is kept; lower-case digits are read too.
  EXPECT_EQ(SettingsFileLines("\xEF\xBB\xBF%\r\n%4\r\n%zz%4a\r\n"),
            (std::vector<std::string>{"%", "%4", "%zzJ"}));
}

}  // namespace
}  // namespace yuzulog
