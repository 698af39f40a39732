#include "mainwindow/messagecopies.h"

#include <algorithm>
#include <tuple>

#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"

namespace yuzulog {

MessageCopies::MessageCopies(const LogFiles& files, const MessageTree& tree)
    : FFiles(files), FTree(tree) {
  for (int fi = 0; fi < files.Count(); ++fi) {
    const std::vector<TLogMessage>& messages = files[fi].Messages();
    const auto count = static_cast<std::int32_t>(messages.size());
    for (std::int32_t i = 0; i < count;) {
      const TLogMessage& first = messages[static_cast<std::size_t>(i)];
      Run run{first.Room, first.Number, first.Number, fi, i, 1};
      // Inside a run a number is found by bisection. The parser keeps a file's numbers rising in
      // one room, so a loaded file is one run; the cut guards a file that came about otherwise.
      for (++i; i < count; ++i) {
        const TLogMessage& m = messages[static_cast<std::size_t>(i)];
        if (m.Room != run.Room || m.Number <= run.High) break;
        run.High = m.Number;
        ++run.Count;
      }
      FRuns.push_back(run);
    }
  }
  std::sort(FRuns.begin(), FRuns.end(), [](const Run& a, const Run& b) {
    return std::tie(a.Room, a.Low) < std::tie(b.Room, b.Low);
  });
}

std::vector<std::int32_t> MessageCopies::NodesOf(std::int32_t room, std::int32_t number) const {
  std::vector<std::int32_t> nodes;
  auto run = std::lower_bound(FRuns.begin(), FRuns.end(), room,
                              [](const Run& r, std::int32_t value) { return r.Room < value; });
  for (; run != FRuns.end() && run->Room == room && run->Low <= number; ++run) {
    if (run->High < number) continue;
    const std::vector<TLogMessage>& messages = FFiles[run->File].Messages();
    const auto begin = messages.begin() + run->First;
    const auto end = begin + run->Count;
    const auto m = std::lower_bound(
        begin, end, number, [](const TLogMessage& x, std::int32_t n) { return x.Number < n; });
    if (m == end || m->Number != number) continue;
    // A message the tree does not show (a tree built before the file came) has no copy number.
    if (const std::int32_t node = FTree.NodeOf(*m); node != MessageTree::kNone)
      nodes.push_back(node);
  }
  return nodes;
}

int MessageCopies::CopyNumber(std::int32_t node) const {
  const TLogMessage* m = FTree.At(node).Message;
  if (!m) return 0;
  int copy = 1;
  for (const std::int32_t other : NodesOf(m->Room, m->Number))
    if (other != node && PrecedesInTree(FTree, other, node)) ++copy;
  return copy;
}

std::string MessageCopies::Anchor(std::int32_t node) const {
  const TLogMessage* m = FTree.At(node).Message;
  if (!m) return {};
  return MessageAnchorName(m->Room, m->Number, CopyNumber(node));
}

std::string MessageCopies::ReferenceAnchor(MessageAddress target) const {
  const TLogMessage* m = FindGotoTarget(FFiles, target);
  if (!m) return {};
  const std::int32_t node = FTree.NodeOf(*m);
  return node == MessageTree::kNone ? std::string() : Anchor(node);
}

std::string MessageAnchorName(std::int32_t room, std::int32_t number, int copy) {
  std::string name = std::to_string(room) + "-" + std::to_string(number);
  if (copy > 1) name += "-" + std::to_string(copy);
  return name;
}

bool PrecedesInTree(const MessageTree& tree, std::int32_t a, std::int32_t b) {
  if (a == b) return false;
  auto depth = [&](std::int32_t n) {
    int d = 0;
    for (; tree.At(n).Parent != MessageTree::kNone; n = tree.At(n).Parent)
      ++d;
    return d;
  };
  int da = depth(a);
  int db = depth(b);
  // An ancestor comes before everything under it.
  for (; da > db; --da) {
    a = tree.At(a).Parent;
    if (a == b) return false;
  }
  for (; db > da; --db) {
    b = tree.At(b).Parent;
    if (b == a) return true;
  }
  // Up to the children of the node where both paths meet: their rows decide.
  while (tree.At(a).Parent != tree.At(b).Parent) {
    a = tree.At(a).Parent;
    b = tree.At(b).Parent;
  }
  return tree.At(a).Row < tree.At(b).Row;
}

}  // namespace yuzulog
