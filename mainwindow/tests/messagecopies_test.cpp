// Copies of one message loaded from overlapping or jumbled files, and their anchor names.
#include "mainwindow/messagecopies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;

// (number, commentTo) pairs of one file of a room.
std::unique_ptr<TLogData> File(int room, const std::vector<std::pair<int, int>>& messages) {
  LogBuilder b;
  for (auto [number, comment] : messages)
    b.Add(MessageSpec{.Number = number, .Room = room, .CommentTo = comment});
  return testing::ParsedLog(b.Text());
}

struct Loaded {
  LogFiles files;
  MessageTree tree;
  void Build() {
    files.SortLogFiles();
    testing::ScriptedProgress progress;
    BuildMessageTree(files, tree, progress);
  }
  // Every node in pre-order.
  std::vector<std::int32_t> Preorder() const {
    std::vector<std::int32_t> order;
    std::vector<std::int32_t> stack;
    for (int row = tree.TopLevelCount() - 1; row >= 0; --row)
      stack.push_back(tree.Child(MessageTree::kNone, row));
    while (!stack.empty()) {
      const std::int32_t n = stack.back();
      stack.pop_back();
      order.push_back(n);
      for (int row = tree.ChildCount(n) - 1; row >= 0; --row)
        stack.push_back(tree.Child(n, row));
    }
    return order;
  }
};

TEST(MessageCopies, OverlappingFilesNameCopiesInTreeOrderAndReferencesTheGotoChoice) {
  Loaded l;
  l.files.Append(File(5, {{1, -1}, {2, 1}, {3, -1}}));
  l.files.Append(File(5, {{2, 1}, {3, -1}, {4, -1}}));  // repeats 2 and 3
  l.files.Append(File(5, {{2, 1}, {5, -1}}));           // a third copy of 2
  l.files.Append(File(7, {{1, -1}}));
  l.Build();
  const MessageCopies copies(l.files, l.tree);
  auto anchorOf = [&](int file, int item) { return copies.Anchor(l.files[file].Items(item).Node); };
  EXPECT_EQ(anchorOf(0, 0), "5-1");
  EXPECT_EQ(anchorOf(0, 1), "5-2");
  EXPECT_EQ(anchorOf(1, 0), "5-2-2");
  EXPECT_EQ(anchorOf(0, 2), "5-3");
  EXPECT_EQ(anchorOf(1, 1), "5-3-2");
  EXPECT_EQ(anchorOf(1, 2), "5-4");
  EXPECT_EQ(anchorOf(2, 0), "5-2-3");
  EXPECT_EQ(anchorOf(3, 0), "7-1");
  EXPECT_EQ(copies.Anchor(0), "");  // the room node
  // A reference names the copy in the latest file that holds the number.
  EXPECT_EQ(copies.ReferenceAnchor({5, 2}), "5-2-3");
  EXPECT_EQ(copies.ReferenceAnchor({5, 3}), "5-3-2");
  EXPECT_EQ(copies.ReferenceAnchor({5, 1}), "5-1");
  EXPECT_EQ(copies.ReferenceAnchor({7, 1}), "7-1");
  EXPECT_EQ(copies.ReferenceAnchor({5, 9}), "");
}

TEST(MessageCopies, CopyNumbersAndTreeOrderAgreeWithAWalkOverGeneratedLibraries) {
  std::mt19937 random(2026);
  int laterCopies = 0;
  for (int round = 0; round < 40; ++round) {
    Loaded l;
    const int fileCount = 1 + static_cast<int>(random() % 5);
    for (int f = 0; f < fileCount; ++f) {
      std::vector<std::pair<int, int>> messages;
      int number = 1 + static_cast<int>(random() % 8);
      for (int i = static_cast<int>(random() % 12); i > 0; --i) {
        // A repeat or a drop stays body text.
        number = std::max(1, number + static_cast<int>(random() % 4) - 1);
        messages.emplace_back(number, static_cast<int>(random() % (number + 1)) - 1);
      }
      if (!messages.empty()) l.files.Append(File(1 + static_cast<int>(random() % 2), messages));
    }
    l.Build();
    const MessageCopies copies(l.files, l.tree);
    const std::vector<std::int32_t> order = l.Preorder();
    std::map<std::pair<int, int>, int> seen;
    for (std::size_t i = 0; i < order.size(); ++i) {
      const TLogMessage* m = l.tree.At(order[i]).Message;
      const int expected = m ? ++seen[{m->Room, m->Number}] : 0;
      ASSERT_EQ(copies.CopyNumber(order[i]), expected) << "round " << round << " node " << i;
      laterCopies += expected > 1;
      if (i > 0) {
        EXPECT_TRUE(PrecedesInTree(l.tree, order[i - 1], order[i]));
        EXPECT_FALSE(PrecedesInTree(l.tree, order[i], order[i / 2]));
      }
    }
  }
  EXPECT_GT(laterCopies, 40);
}

}  // namespace
}  // namespace yuzulog
