// The message tree: rooms, threads, the parent guess with overlapping files, and going to a
// message by room and number.
#include "mainwindow/messagetree.h"

#include <gtest/gtest.h>

#include "logdata/logfiles.h"
#include "platform/cp932.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::ParsedLog;
using testing::ScriptedProgress;

// (number, commentTo) pairs of one file of a room.
std::unique_ptr<TLogData> File(int room, std::vector<std::pair<int, int>> messages,
                               std::string name = "f.LOG") {
  LogBuilder b;
  for (auto [number, comment] : messages) {
    MessageSpec m;
    m.Room = room;
    m.Number = number;
    m.CommentTo = comment;
    m.Title = "t" + std::to_string(number);
    b.Add(m);
  }
  return ParsedLog(b.Text(), std::move(name));
}

// The tree in pre-order as "depth:room-or-number" entries.
std::vector<std::string> Shape(const MessageTree& tree) {
  std::vector<std::string> out;
  struct Walker {
    const MessageTree& t;
    std::vector<std::string>& out;
    void Walk(std::int32_t parent, int depth) {
      for (int row = 0; row < t.ChildCount(parent); ++row) {
        const std::int32_t n = t.Child(parent, row);
        EXPECT_EQ(t.At(n).Row, row);
        EXPECT_EQ(t.At(n).Parent, parent);
        const auto& node = t.At(n);
        out.push_back(std::to_string(depth) + ":" +
                      (node.Message ? std::to_string(node.Message->Number)
                                    : "room" + std::to_string(node.Room)));
        Walk(n, depth + 1);
      }
    }
  } walker{tree, out};
  walker.Walk(MessageTree::kNone, 0);
  return out;
}

class MessageTreeTest : public ::testing::Test {
 protected:
  void Build() {
    files.SortLogFiles();
    ASSERT_EQ(BuildMessageTree(files, tree, progress), OpStatus::Completed);
  }
  LogFiles files;
  MessageTree tree;
  ScriptedProgress progress;
};

TEST_F(MessageTreeTest, CommentsHangUnderTheirTargetsWithinARoom) {
  files.Append(File(5, {{1, -1}, {2, 1}, {3, -1}, {4, 2}, {5, 3}, {6, 1}}));
  Build();
  EXPECT_EQ(Shape(tree),
            (std::vector<std::string>{"0:room5", "1:1", "2:2", "3:4", "2:6", "1:3", "2:5"}));
  EXPECT_FALSE(tree.Building());
  EXPECT_EQ(tree.FirstNode(), 0);
  const TLogMessage& m4 = files[0].Items(3);
  EXPECT_EQ(tree.At(tree.NodeOf(m4)).Message, &m4);
  EXPECT_EQ(Cp932ToUtf8(tree.Label(0)), "5 番会議室");
  EXPECT_EQ(Cp932ToUtf8(tree.Label(tree.NodeOf(m4))), "t4    ハンドル");
  EXPECT_EQ(progress.Texts.back(), "発言ツリー完成（表示を待っています...）");
  EXPECT_EQ(progress.Percents.back(), 100);
}

TEST_F(MessageTreeTest, CommentsOnZeroThemselvesOrLaterNumbersStartThreads) {
  files.Append(File(5, {{10, 0}, {11, 11}, {12, 20}, {13, -1}, {14, 9}}));
  Build();
  EXPECT_EQ(Shape(tree),
            (std::vector<std::string>{"0:room5", "1:10", "1:11", "1:12", "1:13", "1:14"}));
}

TEST_F(MessageTreeTest, GapsAndFarTargetsAreFoundByTheLocalScan) {
  // Numbering with gaps: the guess lands off the target and the scan walks to it.
  files.Append(File(5, {{1, -1}, {5, -1}, {9, -1}, {20, 1}, {21, 9}, {30, 5}, {31, 7}}));
  Build();
  EXPECT_EQ(Shape(tree), (std::vector<std::string>{"0:room5", "1:1", "2:20", "1:5", "2:30", "1:9",
                                                   "2:21", "1:31"}));
}

TEST_F(MessageTreeTest, OverlappingFilesShowRepeatsTwiceAndCommentsUseTheFirstCopies) {
  files.Append(File(5, {{1, -1}, {2, 1}, {3, -1}}, "a.LOG"));
  files.Append(File(5, {{2, 1}, {3, -1}, {4, 2}, {5, 3}}, "b.LOG"));
  Build();
  ASSERT_EQ(files[1].Overlap, 2);
  // b's copy of 2 finds 1 in a; 4 attaches to a's copy of 2 (the first found), 5 to a's 3.
  EXPECT_EQ(Shape(tree),
            (std::vector<std::string>{"0:room5", "1:1", "2:2", "3:4", "2:2", "1:3", "2:5", "1:3"}));
}

TEST_F(MessageTreeTest, RoomsInOrderAndRoomZeroMessagesAtTopLevel) {
  files.Append(File(12, {{1, -1}}));
  files.Append(File(3, {{1, -1}, {2, 1}}));
  files.Append(File(0, {{7, -1}, {8, 7}}));
  Build();
  EXPECT_EQ(Shape(tree),
            (std::vector<std::string>{"0:7", "1:8", "0:room3", "1:1", "2:2", "0:room12", "1:1"}));
  // Comments never cross rooms: room 3's message 2 found 1 of room 3, not of room 0 or 12.
}

TEST_F(MessageTreeTest, ProgressEvery256NodesAndClearResetsMessageNodes) {
  std::vector<std::pair<int, int>> many;
  for (int n = 1; n <= 1000; ++n)
    many.push_back({n, n > 1 ? n - 1 : -1});
  files.Append(File(7, many));
  Build();
  EXPECT_EQ(progress.Polls, 1000 / 256 + 1);
  EXPECT_EQ(tree.NodeCount(), 1001);
  const TLogMessage& last = files[0].Items(999);
  EXPECT_EQ(tree.At(tree.NodeOf(files[0].Items(200))).Parent, tree.NodeOf(files[0].Items(199)));
  tree.Clear();
  EXPECT_EQ(tree.NodeOf(last), MessageTree::kNone);
  EXPECT_EQ(tree.NodeCount(), 0);
  EXPECT_EQ(tree.ChildCount(MessageTree::kNone), 0);
}

TEST_F(MessageTreeTest, AChainOfRepliesStopsDeepeningAtTheCapAndKeepsItsOrder) {
  constexpr int kChain = 99999;  // the most a five-digit number allows
  std::vector<std::pair<int, int>> chain;
  for (int n = 1; n <= kChain; ++n)
    chain.push_back({n, n - 1});
  files.Append(File(7, chain));
  Build();
  const std::vector<std::string> shape = Shape(tree);  // posting order, no deeper than the cap
  ASSERT_EQ(shape.size(), kChain + 1u);
  for (int n = 1; n <= kChain; ++n) {
    const int depth = std::min(n, MessageTree::kMaxDepth);
    ASSERT_EQ(shape[static_cast<std::size_t>(n)], std::to_string(depth) + ":" + std::to_string(n));
  }
}

TEST_F(MessageTreeTest, GotoFindsTheLatestFileOfTheRoomThatHoldsTheNumber) {
  files.Append(File(5, {{1, -1}, {2, -1}, {3, -1}}, "a.LOG"));
  files.Append(File(5, {{3, -1}, {4, -1}}, "b.LOG"));
  files.Append(File(6, {{450, -1}}, "c.LOG"));
  files.Append(File(7, {{500, -1}, {501, -1}}, "d.LOG"));
  Build();
  EXPECT_EQ(FindGotoTarget(files, {5, 3}, &tree), &files[1].Items(0));  // the later file wins
  EXPECT_EQ(FindGotoTarget(files, {5, 1}), &files[0].Items(0));
  EXPECT_EQ(FindGotoTarget(files, {7, 450}), nullptr);  // room 7 starts at 500
  EXPECT_EQ(FindGotoTarget(files, {9, 1}), nullptr);
  tree.Clear();  // a message without a node is passed over
  EXPECT_EQ(FindGotoTarget(files, {5, 3}, &tree), nullptr);
  EXPECT_EQ(GotoNotLoadedText({3, 1234}), "以下の発言はロードされていません\n mes 3, #1234");
}

TEST_F(MessageTreeTest, EmptyListGivesEmptyTree) {
  Build();
  EXPECT_EQ(tree.NodeCount(), 0);
  EXPECT_EQ(tree.FirstNode(), MessageTree::kNone);
}

}  // namespace
}  // namespace yuzulog
