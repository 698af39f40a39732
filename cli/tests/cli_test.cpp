// yuzulog-cli's reading subcommands (messages, files, tree, show) and the rules they share,
// run as a program on the fixtures.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/cp932.h"
#include "tests/support/clirun.h"
#include "tests/support/logbuilder.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::CliResult;
using testing::Columns;
using testing::Lines;

constexpr auto Data = testing::DataFile;

CliResult Cli(std::vector<std::string> args) {
  return testing::RunProgram(YUZULOG_CLI, args);
}

TEST(CliReadTest, MessagesPrintsEveryHeaderFieldInFileOrder) {
  const CliResult r = Cli({"messages", Data("room12.lzh")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  const auto lines = Lines(r.Out);
  ASSERT_EQ(lines.size(), 30u);
  // Message 7: dated 97/05/04 21:25, a comment on 6.
  const auto cols = Columns(lines[6]);
  ASSERT_EQ(cols.size(), 10u);
  EXPECT_EQ(cols[0], "12");
  EXPECT_EQ(cols[1], "7");
  EXPECT_EQ(cols[2], "6");
  EXPECT_EQ(cols[3].size(), 8u);
  EXPECT_EQ(cols[4], "97/05/04");
  EXPECT_EQ(cols[5], "125072547000000000");  // 1997-05-04 21:25 as a file time
  EXPECT_TRUE(IsValidUtf8(r.Out));
  EXPECT_EQ(Columns(lines[0])[2], "-1");
}

TEST(CliReadTest, FilesAreSortedWithOverlapsAndAPathGivenTwiceLoadsOnce) {
  const CliResult r = Cli({"files", Data("room12.lzh"), Data("room05b.LOG"), Data("room05a.LOG"),
                           Data("./room05a.LOG")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "5\t1\t12\t12\t0\troom05a.LOG\n"
            "5\t10\t20\t11\t3\troom05b.LOG\n"
            "12\t1\t30\t30\t0\troom12.lzh\n");
}

TEST(CliReadTest, FailedFilesAreReportedAndTheRestIsStillPrinted) {
  const CliResult r = Cli({"files", Data("plain.TXT"), Data("notlog.lzh"), "/no/such/file.LOG",
                           Data("corrupt.lzh"), Data("room05a.LOG")});
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Out, "5\t1\t12\t12\t0\troom05a.LOG\n");
  // Each failure says why, in full-width parentheses after the fixed text.
  EXPECT_EQ(r.Err,
            Data("plain.TXT") +
                " : ログファイルの取得に失敗しました。（LHA 書庫ではありません）\n" +
                Data("notlog.lzh") +
                " : ログファイルの取得に失敗しました。（書庫の中の最大のファイルが .LOG でも "
                ".TXT でもありません）\n" +
                "/no/such/file.LOG : ログファイルの取得に失敗しました。（ファイルを読み込めま"
                "せん：No such file or directory）\n" +
                Data("corrupt.lzh") +
                " : ログファイルの取得に失敗しました。（書庫が途中で切れています）\n");
}

TEST(CliReadTest, NulBytesAreReportedOncePerFileAndTheStatusStaysZero) {
  std::string text = testing::RoomLogText(5, 1, 5);
  text[text.size() / 2] = '\0';
  text[text.size() / 2 + 1] = '\0';
  testing::TempDir dir;
  const std::string path = dir.Write("nul.LOG", text);
  const CliResult r = Cli({"files", path, Data("room12.lzh")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "5\t1\t5\t5\t0\tnul.LOG\n12\t1\t30\t30\t0\troom12.lzh\n");
  EXPECT_EQ(r.Err, path + " : NUL バイト 2 個を ? として読みました\n");
}

TEST(CliReadTest, TreePrintsRoomsAndThreadsInPreOrder) {
  const CliResult r = Cli({"tree", Data("room05a.LOG"), Data("room05b.LOG")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  const auto lines = Lines(r.Out);
  ASSERT_EQ(lines.size(), 1u + 23u);
  EXPECT_EQ(lines[0], "0\t5\t-\t5 番会議室");
  // 1 <- 2 <- 4: message 2 under 1, message 4 under 2.
  EXPECT_EQ(Columns(lines[1])[0], "1");
  EXPECT_EQ(Columns(lines[1])[2], "1");
  EXPECT_EQ(Columns(lines[2])[0], "2");
  EXPECT_EQ(Columns(lines[2])[2], "2");
  EXPECT_EQ(Columns(lines[3])[0], "3");
  EXPECT_EQ(Columns(lines[3])[2], "4");
  const std::string label = Columns(lines[1])[3];
  EXPECT_NE(label.find("    "), std::string::npos);  // title, four spaces, handle
}

TEST(CliReadTest, ShowWritesTheWholeMessageOrReportsItMissing) {
  const CliResult r = Cli({"show", "--room", "5", "--number=11", Data("room05a.LOG"),
                           Data("room05b.LOG"), "--encoding=sjis"});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out.substr(0, 12), "00011/00011 ");
  EXPECT_EQ(r.Out.find('\0'), std::string::npos);
  // The line end before the next header is not part of the message.
  EXPECT_NE(r.Out.substr(r.Out.size() - 2), "\r\n");
  EXPECT_NE(r.Out.find("\r\n"), std::string::npos);

  const CliResult missing = Cli({"show", "--room=3", "--number=1234", Data("room05a.LOG")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Out, "");
  EXPECT_EQ(missing.Err, "以下の発言はロードされていません\n mes 3, #1234\n");
}

TEST(CliReadTest, SjisModeWritesLogBytesAndOwnTextsInCodePage932) {
  const CliResult r = Cli({"tree", "--encoding", "sjis", Data("room05a.LOG")});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(Lines(r.Out)[0], "0\t5\t-\t5" + Utf8ToCp932(" 番会議室").bytes);
  EXPECT_EQ(Cp932ToUtf8(r.Out), Cli({"tree", Data("room05a.LOG")}).Out);
}

TEST(CliReadTest, StatsLineAndUsageErrors) {
  const CliResult r = Cli({"files", "--stats", Data("room05a.LOG"), Data("garbage.lzh")});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("files=1 messages=12 load_ms="), std::string::npos);

  EXPECT_EQ(Cli({}).Status, 2);
  EXPECT_EQ(Cli({"nosuch"}).Status, 2);
  EXPECT_EQ(Cli({"files", "--bogus", Data("room05a.LOG")}).Status, 2);
  EXPECT_EQ(Cli({"show", "--room=x", "--number=1", Data("room05a.LOG")}).Status, 2);
  EXPECT_EQ(Cli({"show", Data("room05a.LOG")}).Status, 2);
  // A number beyond 32 bits is refused, not wrapped round onto another message.
  EXPECT_EQ(Cli({"show", "--room=5", "--number=4294967297", Data("room05a.LOG")}).Status, 2);
  EXPECT_EQ(Cli({"page", "--room=4294967301", "--number=1", Data("room05a.LOG")}).Status, 2);
  EXPECT_EQ(Cli({"messages", "--encoding=latin1", Data("room05a.LOG")}).Status, 2);
  const CliResult help = Cli({"--help"});
  EXPECT_EQ(help.Status, 0);
  for (const char* sub : {"messages", "files", "tree", "show"})
    EXPECT_NE(help.Out.find(sub), std::string::npos) << sub;
}

TEST(CliReadTest, DoubleDashEndsOptions) {
  testing::TempDir dir;
  const std::string odd = dir.Write("-odd.LOG", testing::ReadFileBytes(Data("room05a.LOG")));
  const CliResult r = Cli({"files", "--", odd});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "5\t1\t12\t12\t0\t-odd.LOG\n");
}

TEST(CliReadTest, AnOutputThatCannotBeWrittenIsAnError) {
  // stdout on a device that fails every write: no subcommand may report success.
  const std::string room = Data("room05a.LOG");
  const std::vector<std::vector<std::string>> commands = {
      {"messages", room},
      {"files", room},
      {"tree", room},
      {"show", "--room=5", "--number=1", room},
      {"search", "-k", "a", room},
      {"search", "--count", "-k", "a", room},
      {"page", "--room=5", "--number=1", room},
      {"page", "--empty", room},
      {"--help"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0] + " " + args.back());
    testing::RunOptions toFullDevice;
    toFullDevice.OutputPath = "/dev/full";
    const CliResult r = testing::RunProgram(YUZULOG_CLI, args, toFullDevice);
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find(std::strerror(ENOSPC)), std::string::npos) << r.Err;
  }
}

#if !defined(__SANITIZE_ADDRESS__)
// Runs yuzulog-cli with one system service failing (see tests/support/faultshim.cpp).
CliResult WithFault(const std::string& fault, std::vector<std::string> args) {
  testing::RunOptions options;
  options.Environment = {"LD_PRELOAD=" YUZULOG_FAULTSHIM, "YUZULOG_FAULT=" + fault};
  return testing::RunProgram(YUZULOG_CLI, args, options);
}

TEST(CliFaults, AFailingSystemServiceGivesAClearMessageNeverAnAbort) {
  // No thread for the loader: every file fails with its reason.
  const CliResult noThread = WithFault("thread", {"files", Data("room05a.LOG")});
  EXPECT_EQ(noThread.Status, 2) << noThread.Err;
  EXPECT_NE(noThread.Err.find("ログファイルの取得に失敗しました"), std::string::npos)
      << noThread.Err;
  // No code page 932 converter: no text replaced by U+FFFD, a message instead.
  const CliResult noConverter = WithFault("iconv", {"messages", Data("room05a.LOG")});
  EXPECT_EQ(noConverter.Status, 2) << noConverter.Err;
  EXPECT_EQ(noConverter.Out, "");
  EXPECT_NE(noConverter.Err.find("932"), std::string::npos) << noConverter.Err;
  // Memory that runs out while the file's 3000 records are made (64 bytes each, at most 230 kB
  // while they grow) or while its 3000 lines (140 bytes each) are put together for output.
  testing::TempDir dir;
  testing::LogBuilder many;
  for (int n = 1; n <= 3000; ++n)
    many.Add({.Number = n, .Title = std::string(60, 't'), .Body = "b"});
  const std::string log = dir.Write("many.LOG", many.Text());
  for (const char* bytes : {"new:16384", "new:400000"}) {
    const CliResult noMemory = WithFault(bytes, {"messages", log});
    EXPECT_EQ(noMemory.Status, 2) << bytes << noMemory.Err;
    EXPECT_NE(noMemory.Err.find("メモリが足りません"), std::string::npos) << noMemory.Err;
  }
}
#endif

}  // namespace
}  // namespace yuzulog
