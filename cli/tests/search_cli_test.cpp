// yuzulog-cli search, run as a whole program on the fixtures of tests/data and on logs built here.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/clirun.h"
#include "tests/support/logbuilder.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::CliResult;
using testing::Lines;
using testing::LogBuilder;
using testing::MessageSpec;
using testing::ReadFileBytes;
using testing::Sjis;
using testing::TempDir;
constexpr auto Data = testing::DataFile;

// Runs yuzulog-cli search with the arguments; stdout and stderr captured.
CliResult Search(std::vector<std::string> args) {
  args.insert(args.begin(), "search");
  return testing::RunProgram(YUZULOG_CLI, args);
}

// The Number column of every output row.
std::vector<std::string> Numbers(const std::string& out) {
  std::vector<std::string> numbers;
  for (const std::string& line : Lines(out)) {
    const std::size_t a = line.find('\t');
    numbers.push_back(line.substr(a + 1, line.find('\t', a + 1) - a - 1));
  }
  return numbers;
}

using N = std::vector<std::string>;

TEST(SearchCli, RowsHaveTheSevenColumnsOfTheResultList) {
  const CliResult r =
      Search({"-k", "ゆず味噌の作り方", "--include-header", "--original-only", Data("room12.lzh")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "12\t1\tゆず味噌の作り方\tゆず味噌\tABC01234\t97/05/01\t162\n");
}

TEST(SearchCli, CaseFoldingIsOnByDefaultAndOffWithCaseSensitive) {
  // Message 21 holds YUZU, yuzu, Yuzu and yUzU; 11 and 14 are English.
  const CliResult folded = Search({"-k", "yuzu", "--hits", Data("room12.lzh")});
  ASSERT_EQ(folded.Status, 0);
  const CliResult exact = Search({"-k", "YUZU", "--case-sensitive", "--hits", Data("room12.lzh")});
  ASSERT_EQ(exact.Status, 0);
  const std::vector<std::string> f = Lines(folded.Out), e = Lines(exact.Out);
  ASSERT_FALSE(f.empty());
  // The folded search lists four half-width hits in 21, the exact one only YUZU.
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[1].rfind("12\t21\t", 0), 0u);
  EXPECT_EQ(std::count(f[1].begin(), f[1].end(), ','), 3);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[1].rfind("12\t21\t", 0), 0u);
  EXPECT_EQ(std::count(e[1].begin(), e[1].end(), ','), 0);
}

TEST(SearchCli, IgnoreBlanksFindsAWordSplitByAFullWidthSpace) {
  const CliResult none = Search({"-k", "ゆず", "--hits", Data("room12.lzh")});
  const CliResult blanks = Search({"-k", "ゆず", "--ignore=blanks", "--hits", Data("room12.lzh")});
  auto row21 = [](const std::string& out) {
    for (const std::string& line : Lines(out))
      if (line.rfind("12\t21\t", 0) == 0) return line;
    return std::string();
  };
  // ゆ　ず: one more hit, six bytes long (the full-width space inside).
  EXPECT_EQ(row21(none.Out).find(":6"), std::string::npos);
  EXPECT_NE(row21(blanks.Out).find(":6"), std::string::npos);
}

TEST(SearchCli, CompoundOriginalOnlyIdAndName) {
  const std::string log = Data("room12.lzh");
  const CliResult compound = Search({"-k", "ポン酢,English", "--compound", log});
  ASSERT_EQ(compound.Status, 0);
  EXPECT_EQ(Numbers(compound.Out), (N{"11", "17"}));
  EXPECT_EQ(Numbers(Search({"-k", "ポン酢 English", "--compound", log}).Out), (N{"11", "17"}));
  // Without --compound the comma is part of the keyword.
  EXPECT_EQ(Search({"-k", "ポン酢,English", log}).Status, 1);

  const CliResult byId = Search({"--id", "abc01234", log});
  EXPECT_EQ(Numbers(byId.Out), (N{"1", "3", "10", "22", "30"}));
  const CliResult originals = Search({"--id", "abc01234", "--original-only", log});
  EXPECT_EQ(Numbers(originals.Out), (N{"1"}));
  EXPECT_EQ(Numbers(Search({"--name", "kenji", log}).Out), (N{"11", "14"}));
  EXPECT_EQ(Search({"--name", "KENJI", log}).Status, 1);  // exact over all messages
}

TEST(SearchCli, SortIsASequenceOfColumnClicks) {
  const std::string log = Data("room12.lzh");
  const CliResult once = Search({"--id", "abc01234", "--sort=number", log});
  EXPECT_EQ(Numbers(once.Out), (N{"1", "3", "10", "22", "30"}));
  const CliResult twice = Search({"--id", "abc01234", "--sort", "number,number", log});
  EXPECT_EQ(Numbers(twice.Out), (N{"30", "22", "10", "3", "1"}));
  const CliResult thrice =
      Search({"--id", "abc01234", "--sort=number", "--sort=number,number", log});
  EXPECT_EQ(Numbers(thrice.Out), (N{"1", "3", "10", "22", "30"}));
  // Another column after a descending one starts ascending: body sizes 38, 50, 56, 78, 162.
  const CliResult other = Search({"--id", "abc01234", "--sort=number,number,size", log});
  EXPECT_EQ(Numbers(other.Out), (N{"10", "22", "30", "3", "1"}));
}

TEST(SearchCli, CountAndExitStatuses) {
  const std::string log = Data("room12.lzh");
  const CliResult count = Search({"--count", "-k", "ゆず", log});
  EXPECT_EQ(count.Status, 0);
  EXPECT_EQ(count.Out, "13 個の発言がヒットしました\n");
  const CliResult zero = Search({"--count", "-k", "no such text", log});
  EXPECT_EQ(zero.Status, 1);
  EXPECT_EQ(zero.Out, "0 個の発言がヒットしました\n");
  const CliResult sjis = Search({"--count", "--encoding=sjis", "-k", Sjis("ゆず"), log});
  EXPECT_EQ(sjis.Out, Sjis("13 個の発言がヒットしました") + "\n");

  const CliResult nothing = Search({"-k", "no such text", log});
  EXPECT_EQ(nothing.Status, 1);
  EXPECT_EQ(nothing.Out, "");

  // Usage errors: no usable field, a fifth keyword, --append alone, a bad key or mode.
  EXPECT_EQ(Search({log}).Status, 2);
  EXPECT_EQ(Search({"-k", "", log}).Status, 2);
  EXPECT_EQ(Search({"-ka", "-kb", "-kc", "-kd", "-ke", log}).Status, 2);
  EXPECT_EQ(Search({"-k", "a", "--append", log}).Status, 2);
  EXPECT_EQ(Search({"-k", "a", "--sort=colour", log}).Status, 2);
  EXPECT_EQ(Search({"-k", "a", "--ignore=tabs", log}).Status, 2);
  // A file that fails to load wins over "not found".
  const CliResult failed = Search({"-k", "no such text", log, Data("garbage.lzh")});
  EXPECT_EQ(failed.Status, 2);
}

TEST(SearchCli, StatsLineCarriesSearchFigures) {
  const CliResult r = Search({"--stats", "-k", "ゆず", Data("room12.lzh")});
  EXPECT_NE(r.Err.find("files=1 messages=30 load_ms="), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find(" search_ms="), std::string::npos);
  EXPECT_NE(r.Err.find(" hits=13"), std::string::npos);
}

TEST(SearchCli, SaveWritesTheMessagesWholeAndAppendAddsToThem) {
  TempDir dir;
  MessageSpec a;
  a.Number = 1;
  a.Body = "みかんの話";
  MessageSpec b;
  b.Number = 2;
  b.Body = "りんごの話";
  const std::string text = LogBuilder().Add(a).Add(b).Text();
  const std::string log = dir.Write("ROOM12.LOG", text);
  const std::string out = dir.Write("out.txt", "previous\r\n");

  // The saved bytes are the log's own: both messages from HeadStart, each followed by CR LF
  // (a message's text ends where the parser put NUL bytes over the line end before the next).
  const CliResult saved = Search({"-k", "の話", "--save", out, log});
  ASSERT_EQ(saved.Status, 0) << saved.Err;
  const std::size_t second = text.find("00002/");
  const std::string first = text.substr(0, second - 2), last = text.substr(second);
  // The last message keeps its own final line end, then gets the CR LF of the save.
  const std::string expected = first + "\r\n" + last + "\r\n";
  EXPECT_EQ(ReadFileBytes(out), expected);

  const CliResult appended = Search({"-k", "りんご", "--save=" + out, "--append", log});
  ASSERT_EQ(appended.Status, 0);
  EXPECT_EQ(ReadFileBytes(out), expected + last + "\r\n");

  // No hit: the file stays as it was.
  EXPECT_EQ(Search({"-k", "ぶどう", "--save", out, log}).Status, 1);
  EXPECT_EQ(ReadFileBytes(out).size(), expected.size() + last.size() + 2);

  // A save that cannot be written is an error, not a success.
  const CliResult failed = Search({"-k", "の話", "--save", dir.File("missing/out.txt"), log});
  EXPECT_NE(failed.Status, 0);
  EXPECT_NE(failed.Err.find("を作成できません"), std::string::npos) << failed.Err;

  // A full device (one of our own, as /dev/full) is written in place: the save fails with the
  // system's reason and the device stays a device.
  const std::string full = dir.File("full");
  if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) return;
  const CliResult noSpace = Search({"-k", "の話", "--save", full, log});
  EXPECT_EQ(noSpace.Status, 2);
  EXPECT_NE(noSpace.Err.find(std::strerror(ENOSPC)), std::string::npos) << noSpace.Err;
  EXPECT_TRUE(std::filesystem::is_character_file(full));
}

}  // namespace
}  // namespace yuzulog
