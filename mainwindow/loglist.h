// The texts of the log list dialog ("ログデータのリスト"): one row per loaded file, the count line
// above the rows and the removal question.
#pragma once

#include <string>
#include <vector>

#include "logdata/logfiles.h"

namespace yuzulog {

struct LogListRow {
  const TLogData* File = nullptr;  // the row's data; the list never owns it
  bool Overlaps = false;           // its first messages repeat the end of the file before it
  std::string Name;                // the file name without its folder
  std::string Room;                // the room in decimal
  std::string Messages;            // "%5d ～ %5d(%4d)": first and last number, message count
};

std::vector<LogListRow> LogListRows(const LogFiles& files);
// "ログデータがありません", or the count followed by "個のログデータ".
std::string LogListCountText(int count);
// The question before selected rows are removed.
std::string LogListRemoveQuestion(int selected);

// The warning after a load with overlaps, holding at most maxLines of the report's lines so that
// its box stays within the screen: when there are more, the first ones and a line that counts the
// files left out (maxLines is taken as at least 2).
std::string OverlapWarningText(const LoadReport& report, std::size_t maxLines);

}  // namespace yuzulog
