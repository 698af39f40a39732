#include "marks/readorder.h"

#include <algorithm>

namespace yuzulog {
namespace {

constexpr std::int32_t kNone = MessageTree::kNone;

std::int32_t LastDescendant(const MessageTree& tree, std::int32_t node) {
  for (int count; (count = tree.ChildCount(node)) > 0;)
    node = tree.Child(node, count - 1);
  return node;
}

}  // namespace

std::int32_t NextInTreeOrder(const MessageTree& tree, std::int32_t node) {
  if (node == kNone) return tree.FirstNode();
  if (tree.ChildCount(node) > 0) return tree.Child(node, 0);
  while (node != kNone) {
    const MessageTree::Node& n = tree.At(node);
    if (n.Row + 1 < tree.ChildCount(n.Parent)) return tree.Child(n.Parent, n.Row + 1);
    node = n.Parent;
  }
  return kNone;
}

std::int32_t PreviousInTreeOrder(const MessageTree& tree, std::int32_t node) {
  if (node == kNone) {
    const int top = tree.TopLevelCount();
    return top == 0 ? kNone : LastDescendant(tree, tree.Child(kNone, top - 1));
  }
  const MessageTree::Node& n = tree.At(node);
  if (n.Row == 0) return n.Parent;
  return LastDescendant(tree, tree.Child(n.Parent, n.Row - 1));
}

std::int32_t NextMessageNode(const MessageTree& tree, std::int32_t node) {
  do
    node = NextInTreeOrder(tree, node);
  while (node != kNone && !tree.At(node).Message);
  return node;
}

std::int32_t PreviousMessageNode(const MessageTree& tree, std::int32_t node) {
  // From kNone there is nothing before: P at no selection stays put.
  if (node == kNone) return kNone;
  do
    node = PreviousInTreeOrder(tree, node);
  while (node != kNone && !tree.At(node).Message);
  return node;
}

std::int32_t NextUnreadNode(const MessageTree& tree, std::int32_t node, const NodeBits& read) {
  for (std::int32_t n = NextMessageNode(tree, node); n != kNone; n = NextMessageNode(tree, n))
    if (!read.Test(n)) return n;
  return NextMessageNode(tree, node);
}

std::vector<std::int32_t> UnreadCounts(const MessageTree& tree, const NodeBits& read) {
  const std::int32_t count = tree.NodeCount();
  // below[n] first counts n itself when it is unread, then is made exclusive once passed up.
  std::vector<std::int32_t> below(static_cast<std::size_t>(count), 0);
  for (std::int32_t n = count - 1; n >= 0; --n) {
    const MessageTree::Node& node = tree.At(n);
    const std::int32_t own = node.Message && !read.Test(n) ? 1 : 0;
    auto& total = below[static_cast<std::size_t>(n)];
    total += own;
    if (node.Parent != kNone) below[static_cast<std::size_t>(node.Parent)] += total;
    total -= own;
  }
  return below;
}

std::vector<std::int32_t> AdjustUnreadCounts(const MessageTree& tree,
                                             std::vector<std::int32_t>& counts,
                                             std::span<const std::int32_t> nodes, bool read) {
  const std::int32_t delta = read ? -1 : 1;
  std::vector<std::int32_t> touched(nodes.begin(), nodes.end());
  for (const std::int32_t node : nodes)
    for (std::int32_t a = tree.At(node).Parent; a != kNone; a = tree.At(a).Parent) {
      counts[static_cast<std::size_t>(a)] += delta;
      touched.push_back(a);
    }
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
  return touched;
}

std::vector<std::int32_t> SubtreeMessageNodes(const MessageTree& tree, std::int32_t node) {
  std::vector<std::int32_t> nodes;
  const std::int32_t after = [&] {
    // The first node in tree order that is not under node.
    for (std::int32_t n = node; n != kNone; n = tree.At(n).Parent) {
      const MessageTree::Node& x = tree.At(n);
      if (x.Row + 1 < tree.ChildCount(x.Parent)) return tree.Child(x.Parent, x.Row + 1);
    }
    return kNone;
  }();
  for (std::int32_t n = node; n != after; n = NextInTreeOrder(tree, n))
    if (tree.At(n).Message) nodes.push_back(n);
  return nodes;
}

}  // namespace yuzulog
