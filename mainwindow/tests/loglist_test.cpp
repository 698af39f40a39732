// The log list's rows: the file name, the room and the message range in its fixed columns.
#include "mainwindow/loglist.h"

#include <gtest/gtest.h>

#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::ParsedRoomLog;

TEST(LogList, RowsShowNameRoomAndTheRangeInFixedColumns) {
  LogFiles files;
  files.Append(ParsedRoomLog(5, 1, 120, "/logs/a/room05a.LOG"));
  files.Append(ParsedRoomLog(5, 118, 130, "/logs/b/room05b.LOG"));
  files.Append(ParsedRoomLog(12, 7, 7, "room12.LOG"));
  files.SortLogFiles();
  const std::vector<LogListRow> rows = LogListRows(files);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].File, &files[0]);
  EXPECT_EQ(rows[0].Name, "room05a.LOG");
  EXPECT_EQ(rows[0].Room, "5");
  EXPECT_EQ(rows[0].Messages, "    1 ～   120( 120)");
  EXPECT_FALSE(rows[0].Overlaps);
  EXPECT_EQ(rows[1].Messages, "  118 ～   130(  13)");
  EXPECT_TRUE(rows[1].Overlaps);
  EXPECT_EQ(rows[2].Name, "room12.LOG");
  EXPECT_EQ(rows[2].Messages, "    7 ～     7(   1)");
  EXPECT_FALSE(rows[2].Overlaps);
}

TEST(LogList, OverlapWarningKeepsTheFirstLinesAndCountsTheFilesLeftOut) {
  LoadReport report;
  report.StatusText = "9 個の発言";
  report.OverlapLines = {"a", "b", "c", "d", "e"};
  EXPECT_EQ(OverlapWarningText(report, 5), report.WarningText());
  EXPECT_EQ(OverlapWarningText(report, 3),
            "9 個の発言がロードされましたが、\r\n\r\na\r\nb\r\n"
            "ほかに 3 個のファイルにも重複があります。\r\n\r\nログデータの情報を見ますか？");
  EXPECT_NE(OverlapWarningText(report, 0).find("a\r\nほかに 4 個"), std::string::npos);
}

}  // namespace
}  // namespace yuzulog
