// yuzulog-cli page, run as a program over logs built in a temporary folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/fontspec.h"
#include "htmlview/htmlpage.h"
#include "tests/support/clirun.h"
#include "tests/support/logbuilder.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::Sjis;
using testing::TempDir;

testing::CliResult RunCli(const TempDir&, const std::vector<std::string>& args) {
  return testing::RunProgram(YUZULOG_CLI, args);
}

class PageCli : public ::testing::Test {
 protected:
  void SetUp() override {
    MessageSpec first;
    first.Number = 1;
    first.Body =
        "見本 http://www.example.jp/?a=1&b=2\n宛先 taro@example.jp と nifty:YUZU/MES/12/#2";
    MessageSpec second;
    second.Number = 2;
    second.CommentTo = 1;
    second.Body = "キーワードとキーワード";
    FLogText = LogBuilder().Add(first).Add(second).Text();
    FLog = FDir.Write("room12.LOG", FLogText);
  }

  // The page the generator writes for message i of the same log.
  std::string ExpectedPage(int i, const PageStyle& style) const {
    auto log = testing::ParsedLog(FLogText);
    PageStream page;
    WriteMessagePage(page, log->Items(i), nullptr, style, DefaultColorResolver());
    return page;
  }

  TempDir FDir;
  std::string FLogText;
  std::string FLog;
};

TEST_F(PageCli, WritesThePageOfTheMessageByteForByte) {
  const testing::CliResult r = RunCli(FDir, {"page", "--room", "12", "--number=1", FLog});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, ExpectedPage(0, PageStyle{}));
  EXPECT_NE(r.Out.find("<NOBR>"), std::string::npos);
  EXPECT_NE(r.Out.find("<A HREF =\"http://www.example.jp/?a=1&b=2\">"), std::string::npos);
  EXPECT_NE(r.Out.find("<A HREF =\"mailto:taro@example.jp\">taro@example.jp</A>"),
            std::string::npos);
  EXPECT_NE(r.Out.find("<A HREF =\"nifty:yuzu/mes/12/2\">nifty:YUZU/MES/12/#2</A>"),
            std::string::npos);
  // The page is never converted: the message text stays code page 932 in both modes.
  EXPECT_NE(r.Out.find(Sjis("見本")), std::string::npos);
  const testing::CliResult sjis =
      RunCli(FDir, {"page", "--room=12", "--number=1", "--encoding=sjis", FLog});
  EXPECT_EQ(sjis.Out, r.Out);
}

TEST_F(PageCli, FontColourAndWrapOptions) {
  const testing::CliResult r =
      RunCli(FDir, {"page", "--room=12", "--number=2", "--wrap", "--bg-color=255",
                    "--font-name=ＭＳ ゴシック", "--font-size=-12", "--font-color=-2147483640",
                    "--font-style=3", FLog});
  ASSERT_EQ(r.Status, 0) << r.Err;
  PageStyle style;
  style.WordWrap = true;
  style.Background = 0x0000FF;
  style.BaseFont = FontSpec{"ＭＳ ゴシック", -12, kClWindowText, kFsBold | kFsItalic};
  EXPECT_EQ(r.Out, ExpectedPage(1, style));
  EXPECT_NE(r.Out.find("<body BGCOLOR=#FF0000>"), std::string::npos);
  EXPECT_NE(r.Out.find("font-size:12.0pt;font-family:\"" + Sjis("ＭＳ ゴシック") + "\""),
            std::string::npos);
  EXPECT_EQ(r.Out.find("<NOBR>"), std::string::npos);
}

TEST_F(PageCli, EmptyPage) {
  const testing::CliResult r = RunCli(FDir, {"page", "--empty", FLog});
  ASSERT_EQ(r.Status, 0) << r.Err;
  PageStream expected;
  WriteEmptyPage(expected, PageStyle{}, DefaultColorResolver());
  EXPECT_EQ(r.Out, expected);
}

TEST_F(PageCli, KeywordsMakeTheResultListPage) {
  const testing::CliResult r = RunCli(FDir, {"page", "--room=12", "--number=2", "-k", "キーワード",
                                             "--key-font-color=255", "--key-font-style=1", FLog});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::string span = "<span style='font-size:9.0pt;font-family:\"" + Sjis("ＭＳ Ｐゴシック") +
                           "\";color:#FF0000'><B>" + Sjis("キーワード") + "</B></span>";
  EXPECT_NE(r.Out.find(span + Sjis("と") + span), std::string::npos) << r.Out;
  // The header lines never carry hits, even with --include-header.
  const testing::CliResult header =
      RunCli(FDir, {"page", "--room=12", "--number=2", "--include-header", "-k", "ABC01234", FLog});
  EXPECT_EQ(header.Out, ExpectedPage(1, PageStyle{}));
}

TEST_F(PageCli, MessageNotLoaded) {
  const testing::CliResult r = RunCli(FDir, {"page", "--room=12", "--number=7", FLog});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "以下の発言はロードされていません\n mes 12, #7\n");
}

TEST_F(PageCli, ThreadWritesTheWholeThreadWithHitsInEveryMessage) {
  const testing::CliResult r = RunCli(
      FDir, {"thread", "--room=12", "--number=2", "-k", "example", "-k", "キーワード", FLog});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::string span = "<span style='font-size:9.0pt;font-family:\"" + Sjis("ＭＳ Ｐゴシック") +
                           "\";color:#0000FF'>";
  EXPECT_NE(r.Out.find("<A NAME=\"12-1\"></A><DIV><NOBR>00001/00001"), std::string::npos);
  EXPECT_NE(r.Out.find("http://www." + span + "example</span>.jp/"), std::string::npos);
  EXPECT_NE(r.Out.find(span + Sjis("キーワード") + "</span>" + Sjis("と")), std::string::npos);
  EXPECT_EQ(RunCli(FDir, {"thread", "--room=12", FLog}).Status, 2);
  EXPECT_EQ(RunCli(FDir, {"thread", "--room=12", "--number=9", FLog}).Status, 1);
}

TEST_F(PageCli, UsageErrors) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"page", "--room=12", FLog},
        {"page", "--room=12", "--number=1", "--font-style=16", FLog},
        {"page", "--room=12", "--number=1", "--bg-color=4294967296", FLog},
        {"page", "--room=12", "--number=1", "--compound", FLog},
        {"page", "--room=12", "--number=1", "--ignore=all", "-k", "a", FLog},
        {"page", "--room=12", "--number=1", "-k", "a", "-k", "b", "-k", "c", "-k", "d", "-k", "e",
         FLog}}) {
    const testing::CliResult r = RunCli(FDir, args);
    EXPECT_EQ(r.Status, 2) << args[2];
    EXPECT_EQ(r.Out, "");
    EXPECT_FALSE(r.Err.empty());
  }
}

}  // namespace
}  // namespace yuzulog
