// The bookmark list's order: each column, both ways, stable among equal values.
#include "marks/bookmarklist.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace yuzulog
