#include "marks/marklookup.h"

#include <bit>

namespace yuzulog {
namespace {

// The message nodes' keys in an open-addressed table: a stored mark finds every node that shows
// its message (overlapping files load one message twice) in a few probes, and the table has the
// size of what is loaded, not of everything ever marked.
class NodeKeyTable {
 public:
  explicit NodeKeyTable(const MessageTree& tree) {
    const std::int32_t count = tree.NodeCount();
    FKeys.reserve(static_cast<std::size_t>(count));
    for (std::int32_t n = 0; n < count; ++n)
      if (const TLogMessage* m = tree.At(n).Message) FKeys.push_back({MarkKeyOf(*m), n});
    // At most half full, so a probe run stays short.
    const std::size_t size = std::bit_ceil(std::max<std::size_t>(FKeys.size() * 2, 16));
    FMask = size - 1;
    FSlots.assign(size, kEmpty);
    for (std::size_t i = 0; i < FKeys.size(); ++i) {
      std::size_t slot = HashMarkKey(FKeys[i].Key) & FMask;
      while (FSlots[slot] != kEmpty)
        slot = (slot + 1) & FMask;
      FSlots[slot] = static_cast<std::int32_t>(i);
    }
  }

  // Calls f with every node whose message has the key.
  template <typename F>
  void ForEachNode(const MarkKey& key, F f) const {
    for (std::size_t slot = HashMarkKey(key) & FMask; FSlots[slot] != kEmpty;
         slot = (slot + 1) & FMask) {
      const Entry& e = FKeys[static_cast<std::size_t>(FSlots[slot])];
      if (e.Key == key) f(e.Node);
    }
  }

 private:
  static constexpr std::int32_t kEmpty = -1;
  struct Entry {
    MarkKey Key;
    std::int32_t Node;
  };
  std::vector<Entry> FKeys;
  std::vector<std::int32_t> FSlots;
  std::size_t FMask = 0;
};

bool Cancelled(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

}  // namespace

bool LookUpReadMarks(MarkStore& store, const MessageTree& tree, NodeBits& read,
                     const std::atomic<bool>* cancel) {
  read = NodeBits();
  const NodeKeyTable table(tree);
  if (Cancelled(cancel)) return false;
  std::vector<MarkKey> marks;
  std::vector<MarkChange> queued;
  if (!store.LoadReadMarks(marks, queued) || Cancelled(cancel)) return false;
  NodeBits bits(tree.NodeCount());
  for (const MarkKey& key : marks)
    table.ForEachNode(key, [&](std::int32_t node) { bits.Set(node, true); });
  for (const MarkChange& change : queued)
    table.ForEachNode(change.Key, [&](std::int32_t node) { bits.Set(node, change.Read); });
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
