// The messages of the thread a node belongs to, in the order the tree shows them: what a page of
// the whole thread holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "htmlview/threadpage.h"

namespace yuzulog {

class MessageCopies;
class MessageTree;

// The top node of node's thread: node or its ancestor whose parent is a room node (or that stands
// at the top level, as messages of room 0 do). kNone for a room node.
std::int32_t ThreadTopNode(const MessageTree& tree, std::int32_t node);

// The thread of node: its top node and every node under it, in pre-order. Empty for a room node.
std::vector<std::int32_t> ThreadOrder(const MessageTree& tree, std::int32_t node);

// A window [First, First + Count) of at most limit places out of total that holds selected,
// centred on it as far as the ends allow.
struct ThreadSlice {
  std::size_t First = 0;
  std::size_t Count = 0;
};
ThreadSlice SliceAround(std::size_t total, std::size_t selected, std::size_t limit);

// What the thread page shown for node holds: at most limit messages of its thread around it,
// each with its anchor, and how many of the thread it leaves out before and after them.
struct ThreadPageContent {
  std::vector<ThreadPageEntry> Entries;
  std::size_t OmittedBefore = 0;
  std::size_t OmittedAfter = 0;
};
ThreadPageContent ThreadPageFor(const MessageTree& tree, const MessageCopies& copies,
                                std::int32_t node, std::size_t limit = kThreadPageLimit);

}  // namespace yuzulog
