#include "mainwindow/threadorder.h"

#include <algorithm>

#include "mainwindow/messagecopies.h"
#include "mainwindow/messagetree.h"

namespace yuzulog {

std::int32_t ThreadTopNode(const MessageTree& tree, std::int32_t node) {
  if (!tree.At(node).Message) return MessageTree::kNone;
  for (std::int32_t parent = tree.At(node).Parent;
       parent != MessageTree::kNone && tree.At(parent).Message; parent = tree.At(node).Parent)
    node = parent;
  return node;
}

std::vector<std::int32_t> ThreadOrder(const MessageTree& tree, std::int32_t node) {
  std::vector<std::int32_t> order;
  const std::int32_t top = ThreadTopNode(tree, node);
  if (top == MessageTree::kNone) return order;
  // Without recursion: a reply chain can be tens of thousands of levels deep.
  std::vector<std::int32_t> stack{top};
  while (!stack.empty()) {
    const std::int32_t n = stack.back();
    stack.pop_back();
    order.push_back(n);
    for (int row = tree.ChildCount(n) - 1; row >= 0; --row)
      stack.push_back(tree.Child(n, row));
  }
  return order;
}

ThreadSlice SliceAround(std::size_t total, std::size_t selected, std::size_t limit) {
  if (total <= limit) return {0, total};
  const std::size_t first = selected > limit / 2 ? selected - limit / 2 : 0;
  return {std::min(first, total - limit), limit};
}

ThreadPageContent ThreadPageFor(const MessageTree& tree, const MessageCopies& copies,
                                std::int32_t node, std::size_t limit) {
  ThreadPageContent content;
  const std::vector<std::int32_t> order = ThreadOrder(tree, node);
  const auto selected =
      static_cast<std::size_t>(std::find(order.begin(), order.end(), node) - order.begin());
  const ThreadSlice slice = SliceAround(order.size(), selected, limit);
  content.OmittedBefore = slice.First;
  content.OmittedAfter = order.size() - slice.First - slice.Count;
  content.Entries.reserve(slice.Count);
  for (std::size_t i = slice.First; i < slice.First + slice.Count; ++i)
    content.Entries.push_back({tree.At(order[i]).Message, copies.Anchor(order[i])});
  return content;
}

}  // namespace yuzulog
