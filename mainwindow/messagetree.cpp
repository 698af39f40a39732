#include "mainwindow/messagetree.h"

#include <algorithm>

#include "logdata/logfiles.h"
#include "platform/cp932.h"

namespace yuzulog {
namespace {

// Progress is reported every 256 nodes: often enough for a moving bar, rare enough that the
// event processing does not show in the build time of a million nodes.
constexpr long long kProgressInterval = 256;

const std::string& RoomSuffix() {
  static const std::string suffix = Utf8ToCp932(kRoomLabelSuffix).bytes;
  return suffix;
}

}  // namespace

void MessageTree::Clear() {
  FNodes.clear();
  FNodes.shrink_to_fit();
  FTopLevel.clear();
  FTopLevel.shrink_to_fit();
  FChildStart.clear();
  FChildStart.shrink_to_fit();
  FChildren.clear();
  FChildren.shrink_to_fit();
  FFirstNodeOfFile.clear();
}

std::int32_t MessageTree::NodeOf(const TLogMessage& message) const {
  const auto first = FFirstNodeOfFile.find(message.Owner);
  if (first == FFirstNodeOfFile.end()) return kNone;
  const auto& messages = message.Owner->Messages();
  if (messages.empty() || &message < messages.data() ||
      &message >= messages.data() + messages.size())
    return kNone;
  return first->second + static_cast<std::int32_t>(&message - messages.data());
}

int MessageTree::ChildCount(std::int32_t parent) const {
  if (parent == kNone) return TopLevelCount();
  if (FChildStart.empty()) return 0;
  const auto p = static_cast<std::size_t>(parent);
  return FChildStart[p + 1] - FChildStart[p];
}

std::int32_t MessageTree::Child(std::int32_t parent, int row) const {
  if (parent == kNone) return FTopLevel[static_cast<std::size_t>(row)];
  return FChildren[static_cast<std::size_t>(FChildStart[static_cast<std::size_t>(parent)] + row)];
}

std::string MessageTree::Label(std::int32_t node) const {
  const Node& n = At(node);
  if (!n.Message) return std::to_string(n.Room) + RoomSuffix();
  const std::string_view title = n.Message->Title();
  const std::string_view handle = n.Message->HandleName();
  std::string label;
  label.reserve(title.size() + 4 + handle.size());
  label.append(title).append("    ").append(handle);
  return label;
}

std::size_t MessageTree::MemoryBytes() const {
  return FNodes.capacity() * sizeof(Node) +
         (FTopLevel.capacity() + FChildStart.capacity() + FChildren.capacity()) *
             sizeof(std::int32_t) +
         FFirstNodeOfFile.size() *
             (sizeof(std::pair<const TLogData*, std::int32_t>) + 2 * sizeof(void*));
}

// Lays the children of every node out as contiguous ranges (a counting sort by parent), and
// gives each node its row. Children keep their insertion order, which is node order, so a node's
// row is the number of siblings counted before it, and no array of fill cursors is needed.
void MessageTree::FinishChildren() {
  const std::size_t count = FNodes.size();
  FChildStart.assign(count + 1, 0);
  for (Node& n : FNodes)
    if (n.Parent != kNone) n.Row = FChildStart[static_cast<std::size_t>(n.Parent)]++;
  // Exclusive prefix sums: FChildStart[p] = where p's children start.
  std::int32_t sum = 0;
  for (std::int32_t& start : FChildStart) {
    const std::int32_t children = start;
    start = sum;
    sum += children;
  }
  FChildren.assign(static_cast<std::size_t>(sum), kNone);
  for (std::size_t i = 0; i < count; ++i) {
    const Node& n = FNodes[i];
    if (n.Parent != kNone)
      FChildren[static_cast<std::size_t>(FChildStart[static_cast<std::size_t>(n.Parent)] + n.Row)] =
          static_cast<std::int32_t>(i);
  }
}

std::int32_t FindParentNode(const MessageTree& tree, std::int32_t nodeListStart,
                            std::int32_t roomNode, const TLogMessage& m, const TLogData& f) {
  const std::int32_t result = roomNode;
  const long long listCount = tree.NodeCount() - nodeListStart;
  if (listCount <= 0) return result;
  const std::int32_t t = m.CommentTo;
  if (t <= 0 || t >= m.Number) return result;
  // With gap-free numbering and no overlap the guess lands one entry before the target;
  // subtracting Overlap moves it back over this file's repeated messages.
  long long k = listCount + t - m.Number - f.Overlap - 1;
  if (k < 0) k = 0;
  if (k >= listCount) k = listCount - 1;
  auto numberAt = [&](long long entry) {
    return tree.At(static_cast<std::int32_t>(nodeListStart + entry)).Message->Number;
  };
  auto nodeAt = [&](long long entry) { return static_cast<std::int32_t>(nodeListStart + entry); };
  const std::int32_t q = numberAt(k);
  if (q == t) return nodeAt(k);
  if (q < t) {
    for (long long e = k; e < listCount; ++e) {
      const std::int32_t n = numberAt(e);
      if (n == t) return nodeAt(e);
      if (n > t) return result;
    }
    return result;
  }
  for (long long e = k; e >= 0; --e) {
    const std::int32_t n = numberAt(e);
    if (n == t) return nodeAt(e);
    if (n < t) return result;
  }
  return result;
}

OpStatus BuildMessageTree(LogFiles& files, MessageTree& tree, Progress& progress) {
  tree.Clear();
  tree.FBuilding = true;
  const long long total = files.TotalMessages();
  tree.FNodes.reserve(static_cast<std::size_t>(total) + 64);

  std::int32_t currentRoom = 0;
  std::int32_t roomNode = MessageTree::kNone;
  std::int32_t nodeListStart = 0;
  progress.SetText("発言ツリーを作成しています");

  // Levels of ancestors of each node, kept only while building.
  std::vector<std::uint16_t> depth;
  depth.reserve(tree.FNodes.capacity());
  auto depthOf = [&](std::int32_t node) {
    return node == MessageTree::kNone ? -1 : int{depth[static_cast<std::size_t>(node)]};
  };

  long long done = 0;
  for (const auto& file : files) {
    TLogData& f = *file;
    if (f.Room != currentRoom) {
      currentRoom = f.Room;
      roomNode = static_cast<std::int32_t>(tree.FNodes.size());
      tree.FNodes.push_back({nullptr, MessageTree::kNone, 0, f.Room});
      depth.push_back(0);
      tree.FTopLevel.push_back(roomNode);
      nodeListStart = roomNode + 1;
    }
    tree.FFirstNodeOfFile[&f] = static_cast<std::int32_t>(tree.FNodes.size());
    for (const TLogMessage& m : f.Messages()) {
      std::int32_t parent = FindParentNode(tree, nodeListStart, roomNode, m, f);
      if (depthOf(parent) >= MessageTree::kMaxDepth) parent = tree.At(parent).Parent;
      const auto node = static_cast<std::int32_t>(tree.FNodes.size());
      tree.FNodes.push_back({&m, parent, 0, m.Room});
      depth.push_back(static_cast<std::uint16_t>(depthOf(parent) + 1));
      if (parent == MessageTree::kNone) tree.FTopLevel.push_back(node);
      ++done;
      if (done % kProgressInterval == 0) {
        progress.SetPercent(static_cast<int>(done * 100 / total));
        progress.ProcessEvents();
      }
    }
  }
  for (std::size_t i = 0; i < tree.FTopLevel.size(); ++i)
    tree.FNodes[static_cast<std::size_t>(tree.FTopLevel[i])].Row = static_cast<std::int32_t>(i);
  tree.FinishChildren();
  progress.SetPercent(100);
  progress.SetText("発言ツリー完成（表示を待っています...）");
  progress.ProcessEvents();
  tree.FBuilding = false;
  return OpStatus::Completed;
}

const TLogMessage* FindGotoTarget(const LogFiles& files, MessageAddress target,
                                  const MessageTree* tree) {
  for (int i = files.Count() - 1; i >= 0; --i) {
    const TLogData& f = files[i];
    if (f.Room != target.Room || f.FirstNumber > target.Number) continue;
    for (const TLogMessage& m : f.Messages())
      if (m.Number == target.Number && (!tree || tree->NodeOf(m) != MessageTree::kNone)) return &m;
  }
  return nullptr;
}

std::string GotoNotLoadedText(MessageAddress target) {
  return "以下の発言はロードされていません\n mes " + std::to_string(target.Room) + ", #" +
         std::to_string(target.Number);
}

}  // namespace yuzulog
