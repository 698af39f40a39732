#include "platform/dosdatetime.h"

#include <gtest/gtest.h>

namespace yuzulog {
namespace {

constexpr FileTime kUnixEpoch = 116444736000000000LL;  // 1970-01-01 in 100-ns units since 1601
constexpr FileTime FromUnix(long long seconds) {
  return kUnixEpoch + seconds * 10000000LL;
}

std::uint16_t Date(int year, int month, int day) {
  return static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
std::uint16_t Time(int hour, int minute) {
  return static_cast<std::uint16_t>((hour << 11) | (minute << 5));
}

TEST(DosDateTimeTest, ValidDatesGiveExactFileTimes) {
  EXPECT_EQ(DosDateTimeToFileTime(Date(1980, 1, 1), 0), FromUnix(315532800));
  EXPECT_EQ(DosDateTimeToFileTime(Date(2000, 2, 29), Time(12, 30)), FromUnix(951827400));
  EXPECT_EQ(DosDateTimeToFileTime(Date(2080, 1, 1), 0), FromUnix(3471292800));
}

TEST(DosDateTimeTest, InvalidFieldsStillGiveOrderedNonZeroValues) {
  // Month 0 counts as January; day 0 is the last day of the month before.
  EXPECT_EQ(DosDateTimeToFileTime(Date(1997, 0, 5), 0), DosDateTimeToFileTime(Date(1997, 1, 5), 0));
  EXPECT_EQ(DosDateTimeToFileTime(Date(1997, 3, 0), 0),
            DosDateTimeToFileTime(Date(1997, 2, 28), 0));
  EXPECT_EQ(DosDateTimeToFileTime(Date(1997, 15, 1), 0),
            DosDateTimeToFileTime(Date(1997, 12, 1), 0));
  // Hour 24 is midnight of the next day, minute 60 the next hour.
  EXPECT_EQ(DosDateTimeToFileTime(Date(1997, 5, 4), Time(24, 0)),
            DosDateTimeToFileTime(Date(1997, 5, 5), 0));
  EXPECT_EQ(DosDateTimeToFileTime(Date(1997, 5, 4), Time(1, 60)),
            DosDateTimeToFileTime(Date(1997, 5, 4), Time(2, 0)));
  EXPECT_NE(DosDateTimeToFileTime(0, 0), 0);
}

}  // namespace
}  // namespace yuzulog
