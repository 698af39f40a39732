// The fields read from the two header lines, and the date key.
#include <gtest/gtest.h>

#include "platform/dosdatetime.h"
#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::ParsedLog;
using testing::Sjis;

// One message with the given two header lines and a body.
std::unique_ptr<TLogData> OneMessage(const std::string& line1, const std::string& line2) {
  return ParsedLog(line1 + "\r\n" + line2 + "\r\nbody\r\n");
}

const std::string kLine1 = "00123/00045 ABC01234  " + std::string("handle          ") + "Title";

TEST(FieldsTest, LineTwoGivesRoomDateAndCommentTo) {
  auto log = OneMessage(kLine1, "(12)   97/05/04 21:25  00120");
  const TLogMessage& m = log->Items(0);
  EXPECT_EQ(m.Room, 12);
  EXPECT_EQ(m.RoomText(), "12");
  EXPECT_EQ(m.DateText(), "97/05/04");
  EXPECT_EQ(m.CommentTo, 120);
  EXPECT_EQ(m.Number, 123);
  EXPECT_EQ(m.NumberText(), "123");
  EXPECT_EQ(m.ID(), "ABC01234");
  EXPECT_EQ(m.HeaderSize(), kLine1.size() + 2 + 28 + 2);
  // 1997-05-04 21:25 as 100-ns units since 1601.
  EXPECT_EQ(m.DateTime(), DosDateTimeToFileTime((17 << 9) | (5 << 5) | 4, (21 << 11) | (25 << 5)));

  EXPECT_EQ(OneMessage(kLine1, "(12)   97/05/04 21:25")->Items(0).CommentTo, -1);
  EXPECT_EQ(OneMessage(kLine1, "(12)   97/05/04 21:25  0012 ")->Items(0).CommentTo, -1);
}

TEST(FieldsTest, RoomIsBuiltFromTwoCharacters) {
  EXPECT_EQ(OneMessage(kLine1, "( 5)")->Items(0).Room, 5);
  EXPECT_EQ(OneMessage(kLine1, "(5)")->Items(0).Room, 50);
  EXPECT_EQ(OneMessage(kLine1, "(05)")->Items(0).Room, 5);
  EXPECT_EQ(OneMessage(kLine1, "(ab)")->Items(0).Room, 0);
}

TEST(FieldsTest, NumbersNeedFiveDigitsAndSaturate) {
  // A number of four digits and a space: the recogniser needs five digits at columns 0-4, so
  // only the value rule of CommentTo shows it.
  auto huge = OneMessage(kLine1, "(12)   97/05/04 21:25  99999999999");
  EXPECT_EQ(huge->Items(0).CommentTo, 2147483647);
  auto longNumber = ParsedLog("123456/00045 ABC01234  h\r\n(12)\r\n");
  EXPECT_EQ(longNumber->Count(), 0);  // column 5 must be the slash
}

TEST(FieldsTest, TwoDigitYearsPivotAtEighty) {
  auto y80 = OneMessage(kLine1, "(12)   80/01/01 00:00");
  auto y81 = OneMessage(kLine1, "(12)   81/01/01 00:00");
  auto y79 = OneMessage(kLine1, "(12)   79/12/31 00:00");
  EXPECT_EQ(y80->Items(0).DateTime(), DosDateTimeToFileTime(100 << 9 | 1 << 5 | 1, 0));  // 2080
  EXPECT_EQ(y81->Items(0).DateTime(), DosDateTimeToFileTime(1 << 9 | 1 << 5 | 1, 0));    // 1981
  EXPECT_LT(y81->Items(0).DateTime(), y79->Items(0).DateTime());
  EXPECT_LT(y79->Items(0).DateTime(), y80->Items(0).DateTime());
}

TEST(FieldsTest, InvalidDatesStillSortConsistently) {
  auto dateOf = [](const std::string& d) {
    return OneMessage(kLine1, "(12)   " + d)->Items(0).DateTime();
  };
  const FileTime month0 = dateOf("97/00/10 10:00");
  const FileTime day0 = dateOf("97/05/00 10:00");
  const FileTime hour25 = dateOf("97/05/04 25:00");
  const FileTime empty = dateOf("  /  /     :  ");
  EXPECT_NE(month0, 0);
  EXPECT_NE(empty, 0);
  EXPECT_EQ(month0, dateOf("97/00/10 10:00"));
  EXPECT_LT(day0, dateOf("97/05/01 00:00"));
  EXPECT_GT(hour25, dateOf("97/05/04 23:59"));
  EXPECT_LT(hour25, dateOf("97/05/05 02:00"));
}

TEST(FieldsTest, HandleNameAndTitleAreTrimmed) {
  const std::string line1 =
      "00001/00001 ABC01234    " + Sjis("ハンドル") + "      " + "  " + Sjis("題名") + "  ";
  auto log = OneMessage(line1, "(12)");
  const TLogMessage& m = log->Items(0);
  EXPECT_EQ(m.HandleName(), Sjis("ハンドル"));
  EXPECT_EQ(m.HandleField(), "  " + Sjis("ハンドル"));  // leading spaces kept
  EXPECT_EQ(m.Title(), Sjis("題名"));
  EXPECT_EQ(m.RawTitle(), "  " + Sjis("題名") + "  ");
}

TEST(FieldsTest, ShortFirstLinesGiveEmptyTitleAndAShortHandle) {
  const std::string base = "00001/00001 ABC01234  ";
  auto exactly38 = OneMessage(base + "handle          ", "(12)");
  EXPECT_EQ(exactly38->Items(0).Title(), "");
  EXPECT_EQ(exactly38->Items(0).RawTitle(), "");
  auto exactly39 = OneMessage(base + "handle          X", "(12)");
  EXPECT_EQ(exactly39->Items(0).Title(), "X");
  EXPECT_EQ(exactly39->Items(0).RawTitle(), "X");
  // The handle takes only bytes of line 1, never the start of line 2.
  auto shortHandle = OneMessage(base + "ab", "(12) zz");
  EXPECT_EQ(shortHandle->Items(0).HandleName(), "ab");
  EXPECT_EQ(shortHandle->Items(0).HandleField(), "ab");
  EXPECT_EQ(shortHandle->Items(0).Title(), "");
}

TEST(FieldsTest, RawTitleStopsAtTheFirstControlByteButTitleDoesNot) {
  auto log = OneMessage("00001/00001 ABC01234  handle          ab\tcd", "(12)");
  EXPECT_EQ(log->Items(0).RawTitle(), "ab");
  EXPECT_EQ(log->Items(0).Title(), "ab\tcd");
}

TEST(FieldsTest, FixedColumnsOfAShortLastLineStopAtTheFinalNul) {
  auto log = ParsedLog(kLine1 + "\r\n(12)   97/0");
  const TLogMessage& m = log->Items(0);
  EXPECT_EQ(m.DateText(), "97/0");
  EXPECT_EQ(m.CommentTo, -1);
  EXPECT_NE(m.DateTime(), 0);
}

}  // namespace
}  // namespace yuzulog
