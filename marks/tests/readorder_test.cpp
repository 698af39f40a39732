// Reading on through the tree: pre-order across threads and rooms, the next unread message, the
// unread counts of room and thread nodes.
#include "marks/readorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "logdata/logfiles.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"

namespace yuzulog {
namespace {

constexpr std::int32_t kNone = MessageTree::kNone;

// Room 5: 1, 2 under 1, 4 under 2, 6 under 1, 3, 5 under 3; room 7: 1, 2. Nodes are made in file
// order (room 5 = 0, its messages 1-6 = nodes 1-6, room 7 = 7, its messages = 8, 9), so the
// tree order is 0 1 2 4 6 3 5 7 8 9.
class ReadOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Add(5, {{1, -1}, {2, 1}, {3, -1}, {4, 2}, {5, 3}, {6, 1}});
    Add(7, {{1, -1}, {2, -1}});
    files.SortLogFiles();
    testing::ScriptedProgress progress;
    BuildMessageTree(files, tree, progress);
    read = NodeBits(tree.NodeCount());
  }
  void Add(int room, std::vector<std::pair<int, int>> messages) {
    testing::LogBuilder b;
    for (auto [number, comment] : messages) {
      testing::MessageSpec m;
      m.Room = room;
      m.Number = number;
      m.CommentTo = comment;
      b.Add(m);
    }
    files.Append(testing::ParsedLog(b.Text(), "r" + std::to_string(room) + ".LOG"));
  }
  LogFiles files;
  MessageTree tree;
  NodeBits read;
};

TEST_F(ReadOrderTest, TreeOrderRunsThroughThreadsAndRoomsBothWays) {
  std::vector<std::int32_t> forward;
  for (std::int32_t n = NextInTreeOrder(tree, kNone); n != kNone; n = NextInTreeOrder(tree, n))
    forward.push_back(n);
  EXPECT_EQ(forward, (std::vector<std::int32_t>{0, 1, 2, 4, 6, 3, 5, 7, 8, 9}));
  std::vector<std::int32_t> backward;
  for (std::int32_t n = PreviousInTreeOrder(tree, kNone); n != kNone;
       n = PreviousInTreeOrder(tree, n))
    backward.insert(backward.begin(), n);
  EXPECT_EQ(backward, forward);
  // N and P pass over room nodes.
  EXPECT_EQ(NextMessageNode(tree, 5), 8);
  EXPECT_EQ(PreviousMessageNode(tree, 8), 5);
  EXPECT_EQ(PreviousMessageNode(tree, 1), kNone);
  EXPECT_EQ(NextMessageNode(tree, 9), kNone);
}

TEST_F(ReadOrderTest, NextUnreadSkipsReadMessagesAndFallsBackToTheNextMessage) {
  for (std::int32_t n : {2, 4, 6, 3, 5})
    read.Set(n, true);
  EXPECT_EQ(NextUnreadNode(tree, 1, read), 8);  // across the room boundary
  read.Set(8, true);
  EXPECT_EQ(NextUnreadNode(tree, 1, read), 9);
  read.Set(9, true);
  // Only node 1 is unread and it lies behind: read on to the next message, no wrap.
  EXPECT_EQ(NextUnreadNode(tree, 4, read), 6);
  EXPECT_EQ(NextUnreadNode(tree, 9, read), kNone);
}

TEST_F(ReadOrderTest, UnreadCountsCountEveryUnreadMessageBelowANode) {
  read.Set(4, true);
  read.Set(9, true);
  const std::vector<std::int32_t> counts = UnreadCounts(tree, read);
  EXPECT_EQ(counts[0], 5);  // room 5: 1, 2, 6, 3, 5
  EXPECT_EQ(counts[1], 2);  // thread 1: 2 and 6 (4 is read; 1 itself is not counted)
  EXPECT_EQ(counts[2], 0);
  EXPECT_EQ(counts[3], 1);
  EXPECT_EQ(counts[7], 1);  // room 7: 1
  EXPECT_EQ(SubtreeMessageNodes(tree, 1), (std::vector<std::int32_t>{1, 2, 4, 6}));
  EXPECT_EQ(SubtreeMessageNodes(tree, 7), (std::vector<std::int32_t>{8, 9}));
  EXPECT_EQ(SubtreeMessageNodes(tree, 5), (std::vector<std::int32_t>{5}));
}

// Random trees (comments on earlier messages, some on missing ones) and random batches of marks
// either way: the adjusted counts always equal a full recount, and the nodes said to look
// different are the marked ones plus every node whose count moved.
TEST(AdjustUnreadCounts, EqualsAFullRecountAfterEveryBatch) {
  std::mt19937 random(21);
  for (int trial = 0; trial < 20; ++trial) {
    LogFiles files;
    for (int room = 1; room <= 3; ++room) {
      testing::LogBuilder b;
      const int messages = 1 + static_cast<int>(random() % 150);
      for (int number = 1; number <= messages; ++number) {
        const int to = static_cast<int>(random() % (number + 2)) - 1;  // -1 .. number (missing)
        b.Add({.Number = number, .Room = room, .CommentTo = to == 0 ? -1 : to});
      }
      files.Append(testing::ParsedLog(b.Text(), "r" + std::to_string(room) + ".LOG"));
    }
    files.SortLogFiles();
    MessageTree tree;
    testing::ScriptedProgress progress;
    BuildMessageTree(files, tree, progress);
    NodeBits read(tree.NodeCount());
    std::vector<std::int32_t> counts = UnreadCounts(tree, read);
    for (int batch = 0; batch < 30; ++batch) {
      const bool value = random() % 3 != 0;
      std::vector<std::int32_t> nodes;
      for (std::int32_t n = 0; n < tree.NodeCount(); ++n)
        if (tree.At(n).Message && read.Test(n) != value && random() % 8 == 0) nodes.push_back(n);
      std::shuffle(nodes.begin(), nodes.end(), random);
      for (const std::int32_t n : nodes)
        read.Set(n, value);
      const std::vector<std::int32_t> before = counts;
      const std::vector<std::int32_t> touched = AdjustUnreadCounts(tree, counts, nodes, value);
      ASSERT_EQ(counts, UnreadCounts(tree, read)) << "trial " << trial << " batch " << batch;
      ASSERT_TRUE(std::is_sorted(touched.begin(), touched.end()));
      for (std::int32_t n = 0; n < tree.NodeCount(); ++n) {
        const bool marked = std::find(nodes.begin(), nodes.end(), n) != nodes.end();
        const bool moved =
            before[static_cast<std::size_t>(n)] != counts[static_cast<std::size_t>(n)];
        EXPECT_EQ(std::binary_search(touched.begin(), touched.end(), n), marked || moved) << n;
      }
    }
  }
}

}  // namespace
}  // namespace yuzulog
