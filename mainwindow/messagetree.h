// The tree of rooms and threads as plain data: nodes in arrays, children as contiguous ranges,
// so a million messages cost a few tens of megabytes and no object per node.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/progress.h"
#include "logdata/logdata.h"

namespace yuzulog {

class LogFiles;

// What follows the room number in a room node's label (UTF-8).
inline constexpr const char* kRoomLabelSuffix = " 番会議室";

class MessageTree {
 public:
  static constexpr std::int32_t kNone = -1;
  // The most levels of ancestors a node has. A reply to a node this deep hangs beside it, under
  // the same parent, in posting order: a chain of replies of any length stays a shape a view can
  // lay out without recursing once per level.
  static constexpr int kMaxDepth = 256;

  // One node. A room node has no message; a message node's message points into a loaded file,
  // and the tree is emptied before that file is destroyed.
  struct Node {
    const TLogMessage* Message = nullptr;
    std::int32_t Parent = kNone;  // kNone for a top-level node
    std::int32_t Row = 0;         // position among its parent's children
    std::int32_t Room = 0;        // for a room node: its room number
  };

  // Empties the tree.
  void Clear();

  int NodeCount() const { return static_cast<int>(FNodes.size()); }
  const Node& At(std::int32_t node) const { return FNodes[static_cast<std::size_t>(node)]; }

  // Children of a node (kNone: the top-level nodes), in insertion order.
  int ChildCount(std::int32_t parent) const;
  std::int32_t Child(std::int32_t parent, int row) const;
  int TopLevelCount() const { return static_cast<int>(FTopLevel.size()); }
  // The node that shows message, or kNone (a message the tree was not built from).
  std::int32_t NodeOf(const TLogMessage& message) const;
  // The first node in the tree (the first top-level node), or kNone.
  std::int32_t FirstNode() const { return FTopLevel.empty() ? kNone : FTopLevel.front(); }

  // The label as code page 932 bytes: Room + " 番会議室" for a room node, Title + four spaces +
  // HandleName for a message node. Built when asked (when a row is painted).
  std::string Label(std::int32_t node) const;

  // True while BuildMessageTree runs: views must treat the tree as empty until it is done.
  bool Building() const { return FBuilding; }
  // Bytes the tree holds (for the memory measurements of bench/).
  std::size_t MemoryBytes() const;

 private:
  friend OpStatus BuildMessageTree(LogFiles& files, MessageTree& tree, Progress& progress);
  void FinishChildren();

  std::vector<Node> FNodes;
  std::vector<std::int32_t> FTopLevel;
  // Children of node n: FChildren[FChildStart[n] .. FChildStart[n + 1]).
  std::vector<std::int32_t> FChildStart;
  std::vector<std::int32_t> FChildren;
  // The messages of a file are consecutive nodes: the node of each file's first message.
  std::unordered_map<const TLogData*, std::int32_t> FFirstNodeOfFile;
  bool FBuilding = false;
};

// Builds the tree from the loaded files in their sorted order (progress every 256 nodes). The
// caller empties the views first and shows the tree afterwards.
OpStatus BuildMessageTree(LogFiles& files, MessageTree& tree, Progress& progress);

// The parent of a new message node among the nodes made so far for the current room:
// nodeListStart is the index of the room's first message node, roomNode the room's node.
std::int32_t FindParentNode(const MessageTree& tree, std::int32_t nodeListStart,
                            std::int32_t roomNode, const TLogMessage& m, const TLogData& f);

// The message that going to an address shows: files from the last to the first, only files of
// its room whose FirstNumber <= its number, the first message with that number. The tree, when
// given, must show it.
const TLogMessage* FindGotoTarget(const LogFiles& files, MessageAddress target,
                                  const MessageTree* tree = nullptr);
// The not-loaded message box text for the go-to command.
std::string GotoNotLoadedText(MessageAddress target);

}  // namespace yuzulog
