#include "mainwindow/history.h"

namespace yuzulog {

void MessageHistory::PushHistory(const TLogMessage* message, const TLogMessage* current) {
  if (message == nullptr || message == current) return;
  if (FHistoryPos >= Count()) FHistoryPos = Count() - 1;
  if (FHistoryPos < 0) FHistoryPos = 0;
  if (FHistoryPos > 0) {
    if (At(FHistoryPos - 1) == message) return;
    while (FHistoryPos > 0 && !FHistory.empty()) {
      FHistory.erase(FHistory.begin());
      --FHistoryPos;
    }
  }
  FHistoryPos = 0;
  if (FHistory.empty() || FHistory.front() != message) FHistory.insert(FHistory.begin(), message);
  if (FHistory.size() > kMaxEntries) FHistory.resize(kMaxEntries);
}

const TLogMessage* MessageHistory::HistoryBack() {
  if (FHistoryPos >= Count() - 1) return nullptr;
  ++FHistoryPos;
  return At(FHistoryPos);
}

void MessageHistory::ClearHistory() {
  FHistoryPos = 0;
  FHistory.clear();
}

}  // namespace yuzulog
