#include "marks/marklookup.h"

#include <algorithm>

namespace yuzulog {
namespace {

// A message node by its room and number. Sorted so, the nodes meet the stored marks, which come
// in the same order, in one sequential pass: no table of a million keys to probe at random, and
// the full key of a node is made only when a mark has its room and number.
struct NodeRef {
  std::int32_t Room;
  std::int32_t Number;
  std::int32_t Node;
  friend bool operator<(const NodeRef& a, const NodeRef& b) {
    return std::tie(a.Room, a.Number) < std::tie(b.Room, b.Number);
  }
  // The sort's order: nodes of one room and number (overlapping files) in tree order.
  static bool Before(const NodeRef& a, const NodeRef& b) {
    return std::tie(a.Room, a.Number, a.Node) < std::tie(b.Room, b.Number, b.Node);
  }
};

class NodeMatcher {
 public:
  NodeMatcher(const MessageTree& tree, NodeBits& read) : FTree(tree), FRead(read) {
    const std::int32_t count = tree.NodeCount();
    FNodes.reserve(static_cast<std::size_t>(count));
    for (std::int32_t n = 0; n < count; ++n)
      if (const TLogMessage* m = tree.At(n).Message) FNodes.push_back({m->Room, m->Number, n});
    // Nearly sorted already (files by room and first number, numbers rising in a file); only
    // overlapping files interleave.
    std::sort(FNodes.begin(), FNodes.end(), NodeRef::Before);
  }

  // Sets (or clears) the bit of every node whose message has the key. Keys in rising order of
  // room and number are found by walking on from the last one; any other by a binary search.
  void Apply(const MarkKey& key, bool value) {
    const NodeRef probe{key.Room, key.Number, 0};
    if (FNext < FNodes.size() && probe < FNodes[FNext]) {
      if (FNext > 0 && probe < FNodes[FNext - 1])
        FNext = static_cast<std::size_t>(std::lower_bound(FNodes.begin(), FNodes.end(), probe) -
                                         FNodes.begin());
    } else {
      while (FNext < FNodes.size() && FNodes[FNext] < probe)
        ++FNext;
    }
    for (std::size_t i = FNext; i < FNodes.size() && !(probe < FNodes[i]); ++i)
      if (MarkKeyOf(*FTree.At(FNodes[i].Node).Message) == key) FRead.Set(FNodes[i].Node, value);
  }

 private:
  const MessageTree& FTree;
  NodeBits& FRead;
  std::vector<NodeRef> FNodes;
  std::size_t FNext = 0;  // the first node not below the last key applied
};

bool Cancelled(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

}  // namespace

bool LookUpReadMarks(MarkStore& store, const MessageTree& tree, NodeBits& read,
                     const std::atomic<bool>* cancel) {
  NodeBits bits(tree.NodeCount());
  NodeMatcher matcher(tree, bits);
  std::vector<MarkChange> queued;
  std::size_t rows = 0;
  const bool stored = store.ForEachReadMark(
      [&](const MarkKey& key) {
        matcher.Apply(key, true);
        // A cancel is seen within a few thousand rows.
        return (++rows & 4095) != 0 || !Cancelled(cancel);
      },
      queued);
  if (!stored || Cancelled(cancel)) {
    read = NodeBits();
    return false;
  }
  for (const MarkChange& change : queued)
    matcher.Apply(change.Key, change.Read);
  read = std::move(bits);
  return true;
}

MarkLookup::MarkLookup(MarkStore& store, const MessageTree& tree, std::function<void()> done) {
  FThread = std::thread([this, &store, &tree, done = std::move(done)] {
    FSucceeded = LookUpReadMarks(store, tree, FResult, &FCancel);
    if (!FCancel.load() && done) done();
  });
}

void MarkLookup::Cancel() {
  FCancel.store(true);
  if (FThread.joinable()) FThread.join();
}

}  // namespace yuzulog
