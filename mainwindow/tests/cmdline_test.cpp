#include "mainwindow/cmdline.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

bool NothingExists(const std::string&) {
  return false;
}

TEST(CommandLine, KeysIgnoreCaseAndTheFirstMatchWins) {
  const std::vector<std::string> args = {"/usr/bin/yuzulog", "viewmode:1", "ViewMode:0",
                                         "LogSet:\"my set\""};
  EXPECT_EQ(GetParamValue(args, kViewModeKey), "1");
  EXPECT_EQ(GetParamInteger(args, kViewModeKey), 1);
  EXPECT_EQ(GetParamValue(args, kLogSetKey), "\"my set\"");
  EXPECT_EQ(GetParamValue(args, kOldSystemKey), "");
}

TEST(CommandLine, ValuesThatAreNotNumbersCountAsZero) {
  EXPECT_EQ(GetParamInteger({"p", "ViewMode:abc"}, kViewModeKey), 0);
  EXPECT_EQ(GetParamInteger({"p", "OldSystem:"}, kOldSystemKey), 0);
  EXPECT_EQ(GetParamInteger({"p", "ViewMode:-1"}, kViewModeKey), -1);
  EXPECT_EQ(GetParamInteger({"p"}, kViewModeKey), 0);
}

TEST(CommandLine, ArgumentZeroIsSearchedButNeverAFile) {
  // The program's own path takes part in the key search, as it always has.
  EXPECT_EQ(GetParamValue({"viewmode:7"}, kViewModeKey), "7");
  const CommandLine cl =
      SplitCommandLine({"/bin/yuzulog", "a.lzh", "ViewMode:1", "SCREENSHOT:/tmp/s.png", "",
                        "/l/b.LOG", "logset:x", "oldsystem:1", "message:5/13", "search:柚子"},
                       NothingExists);
  EXPECT_EQ(cl.Files, (std::vector<std::string>{"a.lzh", "/l/b.LOG"}));
  EXPECT_EQ(cl.Keys.front(), "/bin/yuzulog");
  EXPECT_EQ(GetParamValue(cl.Keys, kMessageKey), "5/13");
  EXPECT_TRUE(cl.UnknownKeys.empty());
}

TEST(CommandLine, UnknownKeysAreReportedOnceAndNeverOpened) {
  // Only letters before the colon make a key; anything else that names nothing is a file that
  // will fail to load and say so.
  const CommandLine cl = SplitCommandLine({"p", "Mesage:12/25", "Sort:2", "Mesage:12/25",
                                           "ViewMode:1", "12:30", "x-y:1", ":a", "C:", "a.lzh"},
                                          NothingExists);
  EXPECT_EQ(cl.UnknownKeys, (std::vector<std::string>{"Mesage:12/25", "Sort:2", "C:"}));
  EXPECT_EQ(cl.Files, (std::vector<std::string>{"12:30", "x-y:1", ":a", "a.lzh"}));
  EXPECT_EQ(cl.Keys, (std::vector<std::string>{"p", "ViewMode:1"}));
  EXPECT_EQ(UnknownKeyText("Sort:2"), "yuzulog: unknown key Sort: in Sort:2, ignored");
}

TEST(CommandLine, APathThatExistsIsAlwaysAFile) {
  testing::TempDir dir;
  dir.Write("Message:12", "");
  dir.Write("Fancy:1", "");
  // As if run from within the folder.
  const auto existsThere = [&dir](const std::string& a) { return PathExists(dir.File(a)); };
  const CommandLine cl =
      SplitCommandLine({"p", "Message:12", "Fancy:1", "Message:13", "Fancy:2"}, existsThere);
  EXPECT_EQ(cl.Files, (std::vector<std::string>{"Message:12", "Fancy:1"}));
  EXPECT_EQ(GetParamValue(cl.Keys, kMessageKey), "13");
  EXPECT_EQ(cl.UnknownKeys, (std::vector<std::string>{"Fancy:2"}));
}

TEST(CommandLine, SearchKeysRepeatInOrderUpToFourAndNeverComeFromArgumentZero) {
  EXPECT_EQ(GetParamValues(
                {"search:x", "Search:柚子", "a.LOG", "SEARCH:", "search:b", "search:c", "search:d"},
                kSearchKey, kMaxSearchKeys),
            (std::vector<std::string>{"柚子", "", "b", "c"}));
  EXPECT_TRUE(GetParamValues({"p"}, kSearchKey, kMaxSearchKeys).empty());
}

TEST(CommandLine, CompanionPathGoesBeforeTheExtensionOfTheFileName) {
  EXPECT_EQ(CompanionPath("/tmp/shot.png", "-search"), "/tmp/shot-search.png");
  EXPECT_EQ(CompanionPath("/tmp/a.b/shot", "-search"), "/tmp/a.b/shot-search");
  EXPECT_EQ(CompanionPath("shot.tar.png", "-search"), "shot.tar-search.png");
}

}  // namespace
}  // namespace yuzulog
