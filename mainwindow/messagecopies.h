// The names of loaded copies of one message. Overlapping files load the same message (same room,
// same number) more than once, and a page that holds several messages needs a distinct anchor for
// each copy: the k-th node in the tree's pre-order that holds room R, number N is copy k, named
// "R-N" for the first and "R-N-k" after it.
//
// Copies are rare, so nothing is kept per message: the index holds one entry per run of messages
// of one room with rising numbers (one per file for an ordinary log), and a question about a
// message looks only at the runs whose number range holds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "logdata/logmessage.h"

namespace yuzulog {

class LogFiles;
class MessageTree;

class MessageCopies {
 public:
  // One pass over the numbers of every loaded message. The index refers to files and tree and
  // holds while both stand unchanged: build it again after every rebuild of the tree.
  MessageCopies(const LogFiles& files, const MessageTree& tree);

  // Which copy the message node is: 1 for the first node of its room and number in pre-order.
  // 0 for a node without a message.
  int CopyNumber(std::int32_t node) const;
  // "R-N" for copy 1, "R-N-k" for copy k; empty for a node without a message.
  std::string Anchor(std::int32_t node) const;
  // The anchor of the message a reference to target names: the copy that going to target shows,
  // whatever its place. Empty when no loaded message answers target.
  std::string ReferenceAnchor(MessageAddress target) const;

 private:
  // Messages [First, First + Count) of file File all have room Room and rising numbers from Low
  // to High.
  struct Run {
    std::int32_t Room;
    std::int32_t Low;
    std::int32_t High;
    std::int32_t File;
    std::int32_t First;
    std::int32_t Count;
  };
  // The nodes of every loaded message with that room and number (in no particular order).
  std::vector<std::int32_t> NodesOf(std::int32_t room, std::int32_t number) const;

  const LogFiles& FFiles;
  const MessageTree& FTree;
  std::vector<Run> FRuns;  // sorted by Room, then Low
};

// The anchor name of copy k of message room/number.
std::string MessageAnchorName(std::int32_t room, std::int32_t number, int copy);

// True when node a comes before node b in the tree's pre-order. Walks both up to where their
// paths meet, so it costs the depth of the deeper node.
bool PrecedesInTree(const MessageTree& tree, std::int32_t a, std::int32_t b);

}  // namespace yuzulog
