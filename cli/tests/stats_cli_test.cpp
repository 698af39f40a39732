// yuzulog-cli stats, run as a whole program on the fixtures of tests/data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/clirun.h"
#include "tests/support/logbuilder.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::CliResult;
using testing::Lines;
constexpr auto Data = testing::DataFile;

CliResult Stats(std::vector<std::string> args) {
  args.insert(args.begin(), "stats");
  return testing::RunProgram(YUZULOG_CLI, args);
}

// The JSON object parses, holds the three arrays with the listed keys, and its counts add up to
// what `files` reports for the same files (the overlap of room 5 counted twice).
TEST(StatsCli, JsonParsesAndCountsAsFilesDo) {
  const std::vector<std::string> files = {Data("room05a.LOG"), Data("room05b.LOG"),
                                          Data("room12.lzh")};
  std::vector<std::string> args = {"--format=json"};
  args.insert(args.end(), files.begin(), files.end());
  const CliResult json = Stats(args);
  ASSERT_EQ(json.Status, 0) << json.Err;
  const CliResult checked = testing::RunProgram(
      "/usr/bin/env",
      {"python3", "-c",
       "import json, sys\n"
       "d = json.load(sys.stdin)\n"
       "print(sorted(d), [sorted(d[k][0]) for k in sorted(d)])\n"
       "print(sum(r['messages'] for r in d['rooms']), sum(m['messages'] for m in d['months']),"
       " sum(w['messages'] for w in d['writers']))\n"
       "print(d['writers'][-1]['handle'], d['rooms'][1]['busiest_month'])\n"},
      json.Out);
  ASSERT_EQ(checked.Status, 0) << checked.Err;
  long long total = 0;
  std::vector<std::string> filesArgs = {"files"};
  filesArgs.insert(filesArgs.end(), files.begin(), files.end());
  for (const std::string& line : Lines(testing::RunProgram(YUZULOG_CLI, filesArgs).Out))
    total += std::stoll(testing::Columns(line)[3]);
  const std::string sum = std::to_string(total);
  EXPECT_EQ(Lines(checked.Out),
            (std::vector<std::string>{
                "['months', 'rooms', 'writers'] [['messages', 'month', 'room'], ['busiest_month', "
                "'first', 'last', 'messages', 'room', 'threads', 'writers'], ['first', 'handle', "
                "'id', 'last', 'messages', 'room', 'threads']]",
                sum + " " + sum + " " + sum, "ゆず会議室管理人 1997-05"}));
}

TEST(StatsCli, CsvHasAHeaderAndTextFollowsTheEncoding) {
  const CliResult csv = Stats({"--by=month", "--format=csv", Data("room12.lzh")});
  ASSERT_EQ(csv.Status, 0) << csv.Err;
  EXPECT_EQ(csv.Out, "room,month,messages\n12,1997-05,30\n");

  const CliResult sjis = Stats({"--by=writer", "--room=5", "--encoding=sjis", Data("room05b.LOG")});
  ASSERT_EQ(sjis.Status, 0) << sjis.Err;
  EXPECT_NE(sjis.Out.find(testing::Sjis("\tゆず会議室管理人\t")), std::string::npos);

  EXPECT_EQ(Stats({"--room=9", Data("room12.lzh")}).Status, 1);  // not loaded
  EXPECT_EQ(Stats({"--format=json", "--encoding=sjis", Data("room12.lzh")}).Status, 2);
  EXPECT_EQ(Stats({"--by=day", Data("room12.lzh")}).Status, 2);
}

}  // namespace
}  // namespace yuzulog
