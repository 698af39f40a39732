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

}  // namespace
}  // namespace yuzulog
