#include "mainwindow/loglist.h"

#include <algorithm>
#include <cstdio>

#include "platform/paths.h"

namespace yuzulog {

std::vector<LogListRow> LogListRows(const LogFiles& files) {
  std::vector<LogListRow> rows;
  rows.reserve(static_cast<std::size_t>(files.Count()));
  for (const auto& file : files) {
    LogListRow row;
    row.File = file.get();
    row.Overlaps = file->Overlap > 0;
    row.Name = BaseName(file->FileName);
    row.Room = std::to_string(file->Room);
    const int last = file->Messages().empty() ? 0 : file->Messages().back().Number;
    char messages[64];
    std::snprintf(messages, sizeof messages, "%5d ～ %5d(%4d)", file->FirstNumber, last,
                  file->Count());
    row.Messages = messages;
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string LogListCountText(int count) {
  if (count < 1) return "ログデータがありません";
  return std::to_string(count) + "個のログデータ";
}

std::string LogListRemoveQuestion(int selected) {
  return std::to_string(selected) + "個のログファイルをリストから外しますか？";
}

std::string OverlapWarningText(const LoadReport& report, std::size_t maxLines) {
  if (report.OverlapLines.size() <= maxLines) return report.WarningText();
  const std::size_t shown = std::max<std::size_t>(maxLines, 2) - 1;
  LoadReport shortened = report;
  shortened.OverlapLines.resize(shown);
  shortened.OverlapLines.push_back("ほかに " + std::to_string(report.OverlapLines.size() - shown) +
                                   " 個のファイルにも重複があります。");
  return shortened.WarningText();
}

}  // namespace yuzulog
