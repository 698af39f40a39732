// The bookmark list's order: each column, both ways, stable among equal values.
#include "marks/bookmarklist.h"

#include <gtest/gtest.h>

#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"

namespace yuzulog {
namespace {

Bookmark Make(int room, int number, std::string title, std::int64_t created) {
  return {MakeMarkKey(room, number, "ID", "97/01/01 00:00"), std::move(title), "", "", created};
}

std::vector<int> Numbers(const std::vector<Bookmark>& list) {
  std::vector<int> numbers;
  for (const Bookmark& b : list)
    numbers.push_back(b.Key.Number);
  return numbers;
}

TEST(BookmarkListTest, SortsByEachColumnBothWaysKeepingTiesInOrder) {
  std::vector<Bookmark> list{Make(2, 5, "b", 30), Make(1, 9, "a", 10), Make(2, 1, "b", 20)};
  SortBookmarks(list, BookmarkColumn::Room, false);
  EXPECT_EQ(Numbers(list), (std::vector<int>{9, 1, 5}));  // room, then number
  SortBookmarks(list, BookmarkColumn::Created, true);
  EXPECT_EQ(Numbers(list), (std::vector<int>{5, 1, 9}));
  SortBookmarks(list, BookmarkColumn::Title, false);
  EXPECT_EQ(Numbers(list), (std::vector<int>{9, 5, 1}));  // the two "b" keep their order
  SortBookmarks(list, BookmarkColumn::Number, true);
  EXPECT_EQ(Numbers(list), (std::vector<int>{9, 5, 1}));
}

// Room 5's numbers started again: both files hold a number 2, and go-to finds only one of them.
TEST(BookmarkListTest, FindsTheMessageOfTheWholeKeyNotJustItsNumber) {
  LogFiles files;
  for (const char* date : {"97/01/01", "98/02/02"}) {
    testing::LogBuilder b;
    b.Add({.Number = 1, .Room = 5, .Date = date}).Add({.Number = 2, .Room = 5, .Date = date});
    files.Append(testing::ParsedLog(b.Text(), std::string(date, 2) + ".LOG"));
  }
  files.SortLogFiles();
  MessageTree tree;
  testing::ScriptedProgress progress;
  BuildMessageTree(files, tree, progress);
  for (int file = 0; file < 2; ++file) {
    const MarkKey key = MarkKeyOf(files[file].Messages()[1]);
    EXPECT_EQ(FindMarkedMessage(files, key, &tree), &files[file].Messages()[1]);
  }
  EXPECT_EQ(FindMarkedMessage(files, MakeMarkKey(5, 2, "OTHER", "97/01/01 21:25")), nullptr);
}

}  // namespace
}  // namespace yuzulog
