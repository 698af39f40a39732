// DOS date and time words to a file time: the sort key of message dates.
#pragma once

#include <cstdint>

namespace yuzulog {

// 100-ns units since 1601-01-01 00:00, no time zone.
using FileTime = std::int64_t;

// Converts a packed DOS date (bits 15-9 year - 1980, 8-5 month, 4-0 day) and time (15-11 hour,
// 10-5 minute, 4-0 seconds / 2). Valid dates give the exact file time. Fields a calendar rejects
// still give a value, so that every date sorts consistently: a month of 0 counts as January and
// 13-15 as December; a day, hour or minute outside its range is added as that many days, hours
// or minutes (day 0 is the last day of the previous month, hour 24 is midnight of the next day).
// The result is never 0, which marks a date not yet computed.
FileTime DosDateTimeToFileTime(std::uint16_t dosDate, std::uint16_t dosTime);

}  // namespace yuzulog
