// What an export writes and how it names each message: the messages in load order, the copy
// number of every loaded copy (as the thread page names it, through MessageCopies) and the copy
// that a reference to a room and number means (the one going to the message shows: in the latest
// file).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "logdata/logfiles.h"
#include "mainwindow/messagecopies.h"
#include "mainwindow/messagetree.h"

namespace yuzulog {

class ExportPlan {
 public:
  // chosen: the messages to export (any order), or null for every loaded message. The tree must
  // be the one built from files.
  ExportPlan(const LogFiles& files, const MessageTree& tree,
             const std::vector<const TLogMessage*>* chosen);

  // The messages to export, files in their order, messages in file order.
  const std::vector<const TLogMessage*>& Messages() const { return FMessages; }
  bool Exported(const TLogMessage& m) const;
  const MessageTree& Tree() const { return FTree; }
  const LogFiles& Files() const { return FFiles; }

  // 1 for the first copy in tree pre-order, 2 for the next, ...
  int CopyOf(const TLogMessage& m) const;
  // "R-N" for copy 1, "R-N-k" for copy k.
  std::string Anchor(const TLogMessage& m) const;
  // The copy a reference to room/number means, or null when none is loaded.
  const TLogMessage* Target(std::int32_t room, std::int32_t number) const;
  // The index of a message's file among the loaded files.
  int FileIndexOf(const TLogMessage& m) const;

 private:
  static std::uint64_t Key(std::int32_t room, std::int32_t number) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(room)) << 32) |
           static_cast<std::uint32_t>(number);
  }
  const LogFiles& FFiles;
  const MessageTree& FTree;
  std::vector<const TLogMessage*> FMessages;
  MessageCopies FCopies;
  std::vector<std::uint8_t> FNodeChosen;  // by tree node; empty when everything is exported
  std::unordered_map<std::uint64_t, const TLogMessage*> FTargets;
  std::unordered_map<const TLogData*, int> FFileIndex;
};

}  // namespace yuzulog
