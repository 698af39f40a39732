// The loaded copies of a message and their anchors, and the messages of a thread page: which
// nodes, in which order, and the window around the chosen message in a long thread.
#include "mainwindow/threadorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "logdata/logfiles.h"
#include "mainwindow/messagecopies.h"
#include "mainwindow/messagetree.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"

namespace yuzulog {
namespace {

// Loaded files, each a room and its (number, commentTo) pairs, and the tree built from them.
struct Library {
  using Log = std::pair<int, std::vector<std::pair<int, int>>>;
  LogFiles files;
  MessageTree tree;
  explicit Library(const std::vector<Log>& logs) {
    for (const auto& [room, messages] : logs) {
      testing::LogBuilder b;
      for (auto [number, comment] : messages)
        b.Add(testing::MessageSpec{.Number = number, .Room = room, .CommentTo = comment});
      files.Append(testing::ParsedLog(b.Text()));
    }
    files.SortLogFiles();
    testing::ScriptedProgress progress;
    BuildMessageTree(files, tree, progress);
  }
  std::int32_t Node(int file, int item) const { return tree.NodeOf(files[file].Items(item)); }
};

TEST(MessageCopies, OverlappingFilesNameCopiesInTreeOrderAndReferencesTheGotoChoice) {
  const Library l({{5, {{1, -1}, {2, 1}, {3, -1}}},
                   {5, {{2, 1}, {3, -1}, {4, -1}}},  // repeats 2 and 3
                   {5, {{2, 1}, {5, -1}}},           // a third copy of 2
                   {7, {{1, -1}}}});
  const MessageCopies copies(l.files, l.tree);
  std::string anchors;
  for (int f = 0; f < l.files.Count(); ++f)
    for (int i = 0; i < l.files[f].Count(); ++i)
      anchors += copies.Anchor(l.Node(f, i)) + " ";
  EXPECT_EQ(anchors, "5-1 5-2 5-3 5-2-2 5-3-2 5-4 5-2-3 5-5 7-1 ");
  EXPECT_EQ(copies.Anchor(0), "");  // the room node
  // A reference names the copy in the latest file that holds the number.
  EXPECT_EQ(copies.ReferenceAnchor({5, 2}), "5-2-3");
  EXPECT_EQ(copies.ReferenceAnchor({5, 3}), "5-3-2");
  EXPECT_EQ(copies.ReferenceAnchor({5, 1}), "5-1");
  EXPECT_EQ(copies.ReferenceAnchor({5, 9}), "");
}

TEST(MessageCopies, CopyNumbersAndTreeOrderAgreeWithAWalkOverGeneratedLibraries) {
  std::mt19937 random(2026);
  for (int round = 0; round < 40; ++round) {
    std::vector<Library::Log> logs(1 + random() % 5);
    for (auto& [room, messages] : logs) {
      room = 1 + static_cast<int>(random() % 2);
      int number = 1 + static_cast<int>(random() % 8);
      // A repeat or a drop stays body text.
      for (int i = static_cast<int>(1 + random() % 12); i > 0; --i) {
        number = std::max(1, number + static_cast<int>(random() % 4) - 1);
        messages.emplace_back(number, static_cast<int>(random() % (number + 1)) - 1);
      }
    }
    const Library l(logs);
    const MessageCopies copies(l.files, l.tree);
    std::vector<std::int32_t> order;  // pre-order of the whole tree, thread by thread
    for (int row = 0; row < l.tree.TopLevelCount(); ++row) {
      const std::int32_t top = l.tree.Child(MessageTree::kNone, row);
      const bool room = !l.tree.At(top).Message;
      if (room) order.push_back(top);
      for (int child = 0; child < (room ? l.tree.ChildCount(top) : 1); ++child)
        for (std::int32_t n : ThreadOrder(l.tree, room ? l.tree.Child(top, child) : top))
          order.push_back(n);
    }
    ASSERT_EQ(order.size(), static_cast<std::size_t>(l.tree.NodeCount()));
    std::map<std::pair<int, int>, int> seen;
    for (std::size_t i = 0; i < order.size(); ++i) {
      const TLogMessage* m = l.tree.At(order[i]).Message;
      const int expected = m ? ++seen[{m->Room, m->Number}] : 0;
      ASSERT_EQ(copies.CopyNumber(order[i]), expected) << "round " << round << " node " << i;
      EXPECT_TRUE(i == 0 || PrecedesInTree(l.tree, order[i - 1], order[i]));
      EXPECT_FALSE(PrecedesInTree(l.tree, order[i], order[i / 2]));
    }
  }
}

TEST(ThreadOrder, AThreadIsItsTopNodeAndEverythingUnderItInTreeOrder) {
  const Library l({{5, {{1, -1}, {2, 1}, {3, -1}, {4, 2}, {5, 3}, {6, 1}}},
                   {0, {{7, -1}, {8, 7}}}});  // room 0: threads at the top level
  // Files sort by room: room 0's first.
  EXPECT_EQ(ThreadOrder(l.tree, l.Node(1, 3)),
            (std::vector{l.Node(1, 0), l.Node(1, 1), l.Node(1, 3), l.Node(1, 5)}));
  EXPECT_EQ(ThreadOrder(l.tree, l.Node(1, 4)), (std::vector{l.Node(1, 2), l.Node(1, 4)}));
  EXPECT_EQ(ThreadOrder(l.tree, l.Node(0, 1)), (std::vector{l.Node(0, 0), l.Node(0, 1)}));
  const std::int32_t room5 = l.tree.At(l.Node(1, 0)).Parent;
  EXPECT_EQ(ThreadTopNode(l.tree, room5), MessageTree::kNone);
  EXPECT_TRUE(ThreadOrder(l.tree, room5).empty());
}

TEST(ThreadOrder, ALongThreadShowsTheMessagesAroundTheChosenOneWithCopiesNamed) {
  // A reply chain 1-9 and a second file repeating 4-9. Comments hang under the first copies, so
  // under each of 3-8 stand its next number from both files: pre-order runs 1-9, then the second
  // file's 9 back to 4.
  std::vector<std::pair<int, int>> chain;
  for (int n = 1; n <= 9; ++n)
    chain.emplace_back(n, n - 1);
  const Library l({{5, chain}, {5, {chain.begin() + 3, chain.end()}}});
  const MessageCopies copies(l.files, l.tree);
  EXPECT_EQ(ThreadPageFor(l.tree, copies, l.Node(0, 4)).Entries.size(), 15u);
  const ThreadPageContent window = ThreadPageFor(l.tree, copies, l.Node(1, 5), 4);
  std::vector<std::string> anchors;
  for (const ThreadPageEntry& e : window.Entries)
    anchors.push_back(e.Anchor);
  EXPECT_EQ(anchors, (std::vector<std::string>{"5-8", "5-9", "5-9-2", "5-8-2"}));
  EXPECT_EQ(window.Entries[2].Message, &l.files[1].Items(5));
  EXPECT_EQ(window.OmittedBefore, 7u);
  EXPECT_EQ(window.OmittedAfter, 4u);
  // Centred on the chosen place as far as the ends allow.
  for (const auto& [selected, first] : {std::pair<int, int>{10, 0}, {2500, 1500}, {4999, 3000}})
    EXPECT_EQ(SliceAround(5000, selected, 2000).First, static_cast<std::size_t>(first));
  EXPECT_EQ(SliceAround(1500, 1400, 2000).Count, 1500u);
}

}  // namespace
}  // namespace yuzulog
