#include "platform/dosdatetime.h"

namespace yuzulog {
namespace {

// Days from 1601-01-01 to the given civil date (proleptic Gregorian), month 1..12, day from 1.
std::int64_t DaysFrom1601(std::int64_t y, unsigned m, unsigned d) {
  // Howard Hinnant's days_from_civil, shifted from 1970-01-01 to 1601-01-01.
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t daysFrom1970 = era * 146097 + static_cast<std::int64_t>(doe) - 719468;
  return daysFrom1970 + 134774;  // 1601-01-01 .. 1970-01-01
}

}  // namespace

FileTime DosDateTimeToFileTime(std::uint16_t dosDate, std::uint16_t dosTime) {
  const std::int64_t year = 1980 + (dosDate >> 9);
  unsigned month = (dosDate >> 5) & 0x0F;
  const unsigned day = dosDate & 0x1F;
  const unsigned hour = dosTime >> 11;
  const unsigned minute = (dosTime >> 5) & 0x3F;
  const unsigned seconds = (dosTime & 0x1F) * 2;
  if (month < 1) month = 1;
  if (month > 12) month = 12;
  const std::int64_t days = DaysFrom1601(year, month, 1) + static_cast<std::int64_t>(day) - 1;
  const std::int64_t secs = ((days * 24 + hour) * 60 + minute) * 60 + seconds;
  return secs * 10000000;
}

}  // namespace yuzulog
