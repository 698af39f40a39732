// The messages of a thread page: which nodes, in which order, with which anchors, and the window
// around the chosen message in a long thread.
#include "mainwindow/threadorder.h"

#include <gtest/gtest.h>

#include "logdata/logfiles.h"
#include "mainwindow/messagecopies.h"
#include "mainwindow/messagetree.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"

namespace yuzulog {
namespace {

std::unique_ptr<TLogData> File(int room, const std::vector<std::pair<int, int>>& messages) {
  testing::LogBuilder b;
  for (auto [number, comment] : messages)
    b.Add(testing::MessageSpec{.Number = number, .Room = room, .CommentTo = comment});
  return testing::ParsedLog(b.Text());
}

class ThreadOrderTest : public ::testing::Test {
 protected:
  void Build() {
    files.SortLogFiles();
    testing::ScriptedProgress progress;
    BuildMessageTree(files, tree, progress);
  }
  std::int32_t NodeOf(int file, int item) { return files[file].Items(item).Node; }
  std::vector<int> Numbers(const std::vector<std::int32_t>& nodes) {
    std::vector<int> numbers;
    for (std::int32_t n : nodes)
      numbers.push_back(tree.At(n).Message->Number);
    return numbers;
  }
  LogFiles files;
  MessageTree tree;
};

TEST_F(ThreadOrderTest, AThreadIsItsTopNodeAndEverythingUnderItInTreeOrder) {
  files.Append(File(5, {{1, -1}, {2, 1}, {3, -1}, {4, 2}, {5, 3}, {6, 1}}));
  files.Append(File(0, {{7, -1}, {8, 7}}));  // room 0: threads at the top level
  Build();
  EXPECT_EQ(Numbers(ThreadOrder(tree, NodeOf(1, 3))), (std::vector<int>{1, 2, 4, 6}));
  EXPECT_EQ(Numbers(ThreadOrder(tree, NodeOf(1, 0))), (std::vector<int>{1, 2, 4, 6}));
  EXPECT_EQ(Numbers(ThreadOrder(tree, NodeOf(1, 4))), (std::vector<int>{3, 5}));
  EXPECT_EQ(Numbers(ThreadOrder(tree, NodeOf(0, 1))), (std::vector<int>{7, 8}));
  EXPECT_EQ(ThreadTopNode(tree, NodeOf(0, 1)), NodeOf(0, 0));
  const std::int32_t room5 = tree.At(NodeOf(1, 0)).Parent;
  EXPECT_EQ(ThreadTopNode(tree, room5), MessageTree::kNone);
  EXPECT_TRUE(ThreadOrder(tree, room5).empty());
}

TEST_F(ThreadOrderTest, ALongThreadShowsTheMessagesAroundTheChosenOneWithCopiesNamed) {
  // 1 <- 2 <- 3 ... a chain of 9, and a second file repeating 4-9.
  std::vector<std::pair<int, int>> chain;
  for (int n = 1; n <= 9; ++n)
    chain.emplace_back(n, n - 1);
  files.Append(File(5, chain));
  files.Append(File(5, std::vector<std::pair<int, int>>(chain.begin() + 3, chain.end())));
  Build();
  const MessageCopies copies(files, tree);
  // Comments hang under the first copies: under each of 3-8 of the first file its next number
  // from both files, so pre-order runs 1-9, then the second file's 9 back to 4.
  const ThreadPageContent all = ThreadPageFor(tree, copies, NodeOf(0, 4));
  ASSERT_EQ(all.Entries.size(), 15u);
  EXPECT_EQ(all.Entries[0].Anchor, "5-1");
  EXPECT_EQ(all.Entries[0].Message, &files[0].Items(0));
  const ThreadPageContent window = ThreadPageFor(tree, copies, NodeOf(1, 5), 4);
  ASSERT_EQ(window.Entries.size(), 4u);
  std::vector<std::string> anchors;
  for (const ThreadPageEntry& e : window.Entries)
    anchors.push_back(e.Anchor);
  EXPECT_EQ(anchors, (std::vector<std::string>{"5-8", "5-9", "5-9-2", "5-8-2"}));
  EXPECT_EQ(window.OmittedBefore, 7u);
  EXPECT_EQ(window.OmittedAfter, 4u);
}

TEST(SliceAround, CentresOnTheChosenPlaceWithinTheEnds) {
  auto slice = [](std::size_t total, std::size_t selected) {
    const ThreadSlice s = SliceAround(total, selected, 2000);
    return std::to_string(s.First) + "+" + std::to_string(s.Count);
  };
  EXPECT_EQ(slice(1500, 1400), "0+1500");
  EXPECT_EQ(slice(5000, 10), "0+2000");
  EXPECT_EQ(slice(5000, 2500), "1500+2000");
  EXPECT_EQ(slice(5000, 4999), "3000+2000");
}

}  // namespace
}  // namespace yuzulog
