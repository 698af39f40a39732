// The history of shown messages behind the back command: newest first, at most 255 entries, a
// position that a back step moves towards the older end. There is no forward command: showing a
// message after back steps drops the entries newer than the position.
#pragma once

#include <cstddef>
#include <vector>

#include "logdata/logmessage.h"

namespace yuzulog {

class MessageHistory {
 public:
  static constexpr std::size_t kMaxEntries = 255;

  // Records that message is about to be shown while current is the message shown now. Nothing
  // happens for no message or for the current one; after back steps, the entries newer than the
  // position go, unless message is the entry right above the position.
  void PushHistory(const TLogMessage* message, const TLogMessage* current);
  // One step back: the message whose tree node is to be selected, or nullptr at the oldest entry.
  const TLogMessage* HistoryBack();
  // Forgets everything; called before the messages it names are freed.
  void ClearHistory();

  int Count() const { return static_cast<int>(FHistory.size()); }
  int Position() const { return FHistoryPos; }
  const TLogMessage* At(int index) const { return FHistory[static_cast<std::size_t>(index)]; }

 private:
  std::vector<const TLogMessage*> FHistory;  // refers to loaded messages; index 0 the newest
  int FHistoryPos = 0;
};

}  // namespace yuzulog
