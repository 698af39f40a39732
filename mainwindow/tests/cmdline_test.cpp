#include "mainwindow/cmdline.h"

#include <gtest/gtest.h>

namespace yuzulog {
namespace {

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
  EXPECT_EQ(FileArguments({"/bin/yuzulog", "a.lzh", "ViewMode:1", "SCREENSHOT:/tmp/s.png", "",
                           "/l/b.LOG", "logset:x", "oldsystem:1", "message:5/13", "search:柚子"}),
            (std::vector<std::string>{"a.lzh", "/l/b.LOG"}));
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
