// Reading on through the message tree: the order N, P and Space go in, the read bits of the nodes
// and the unread counts after the room and thread labels. The tree is only read.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "mainwindow/messagetree.h"

namespace yuzulog {

// One bit per tree node (by node index): set when the node's message is read. Room nodes stay
// clear. 64 nodes a word: a million nodes take 128 KB.
class NodeBits {
 public:
  NodeBits() = default;
  explicit NodeBits(std::int32_t count)
      : FWords((static_cast<std::size_t>(count) + 63) / 64), FCount(count) {}
  std::int32_t Count() const { return FCount; }
  bool Test(std::int32_t node) const { return (FWords[Index(node)] >> (node & 63)) & 1u; }
  void Set(std::int32_t node, bool value) {
    const std::uint64_t bit = std::uint64_t{1} << (node & 63);
    if (value)
      FWords[Index(node)] |= bit;
    else
      FWords[Index(node)] &= ~bit;
  }

 private:
  static std::size_t Index(std::int32_t node) { return static_cast<std::size_t>(node) >> 6; }
  std::vector<std::uint64_t> FWords;
  std::int32_t FCount = 0;
};

// The node after node in pre-order (a node, then its children, then its next sibling), across
// threads and rooms; kNone after the last node. kNone gives the first node.
std::int32_t NextInTreeOrder(const MessageTree& tree, std::int32_t node);
// The node before node in pre-order; kNone before the first node. kNone gives the last node.
std::int32_t PreviousInTreeOrder(const MessageTree& tree, std::int32_t node);

// N and P: the next and previous message node (room nodes are passed over), or kNone.
std::int32_t NextMessageNode(const MessageTree& tree, std::int32_t node);
std::int32_t PreviousMessageNode(const MessageTree& tree, std::int32_t node);

// Space at the end of a page: the first unread message after node in tree order; when none is
// unread after it, the next message (kNone at the end of the tree). The search does not wrap to
// the top: reading on never jumps back above what is being read.
std::int32_t NextUnreadNode(const MessageTree& tree, std::int32_t node, const NodeBits& read);

// For every node, the number of unread messages below it (the node itself not counted), by node
// index: the grey counts after room and thread labels. One pass from the last node to the first,
// which holds because the tree makes every parent before its children.
std::vector<std::int32_t> UnreadCounts(const MessageTree& tree, const NodeBits& read);

// Brings counts (from UnreadCounts) up to date after the read bit of each of nodes became read:
// only the ancestors of those nodes change, at most MessageTree::kMaxDepth a node, so marking a
// thread costs the thread and not the tree. Every node must be a message whose bit really
// changed, each named once. Returns the nodes that look different now (the marked ones and every
// ancestor whose count moved), ascending, each once.
std::vector<std::int32_t> AdjustUnreadCounts(const MessageTree& tree,
                                             std::vector<std::int32_t>& counts,
                                             std::span<const std::int32_t> nodes, bool read);

// The message nodes of node and everything under it, in tree order ("mark read" on a room or a
// thread).
std::vector<std::int32_t> SubtreeMessageNodes(const MessageTree& tree, std::int32_t node);

}  // namespace yuzulog
