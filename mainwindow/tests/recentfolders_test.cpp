// Recently used folders: the folder of a chosen file, the order, the cap and the case rule.
#include "mainwindow/recentfolders.h"

#include <gtest/gtest.h>

namespace yuzulog {
namespace {

TEST(RecentFolders, FolderOfPathKeepsTheRootAndFallsBackToTheProgramsFolder) {
  const struct {
    const char* Path;
    const char* Folder;
  } cases[] = {
      {"/logs/a/room05.lzh", "/logs/a"},  {"/room05.lzh", "/"},
      {"/logs//room05.lzh", "/logs"},     {"/ログ/部屋/room05.LOG", "/ログ/部屋"},
      {"room05.lzh", "/opt/yuzulog/bin"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Path);
    EXPECT_EQ(FolderOfPath(c.Path, "/opt/yuzulog/bin"), c.Folder);
  }
}

TEST(RecentFolders, NewestFirstAtMostEightAndOneEntryPerFolderIgnoringAsciiCase) {
  std::vector<std::string> folders;
  for (int i = 1; i <= 9; ++i) {
    AddRecentFolder(folders, "/logs/d" + std::to_string(i) + "/x.lzh", "/bin");
    TrimRecentFolders(folders);
  }
  // The ninth folder pushed out the first.
  ASSERT_EQ(folders.size(), 8u);
  EXPECT_EQ(folders.front(), "/logs/d9");
  EXPECT_EQ(folders.back(), "/logs/d2");

  // A folder already listed, in another letter case, moves to the top without a duplicate and
  // takes the spelling just used.
  AddRecentFolder(folders, "/LOGS/D5/y.lzh", "/bin");
  TrimRecentFolders(folders);
  EXPECT_EQ(folders, (std::vector<std::string>{"/LOGS/D5", "/logs/d9", "/logs/d8", "/logs/d7",
                                               "/logs/d6", "/logs/d4", "/logs/d3", "/logs/d2"}));
}

}  // namespace
}  // namespace yuzulog
