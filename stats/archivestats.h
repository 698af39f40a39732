// The archive at a glance: per room its messages, threads, writers and dates, messages per month
// and the lengths of its threads, computed in one pass over the loaded files. The statistics
// window and `yuzulog-cli stats` show the same figures from here.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dosdatetime.h"

namespace yuzulog {

class LogFiles;
class MessageTree;

// A calendar month as one number, Year * 12 + Month - 1, so that months sort and subtract.
using MonthKey = std::int32_t;
inline constexpr MonthKey kNoMonth = -1;

struct CivilDate {
  int Year = 0;
  int Month = 0;  // 1-12
  int Day = 0;    // 1-31
};
// The calendar date of a message's sort key (TLogMessage::DateTime): the month and day the
// program sorts it by, with its two-digit year rule already applied.
CivilDate DateOfFileTime(FileTime t);
MonthKey MonthOf(FileTime t);
// "YYYY-MM-DD" and "YYYY-MM" (empty for kNoMonth).
std::string IsoDateText(FileTime t);
std::string IsoMonthText(MonthKey month);

struct RoomFigures {
  std::int32_t Room = 0;
  long long Messages = 0;
  long long Threads = 0;
  long long Writers = 0;  // distinct IDs
  FileTime First = 0;
  FileTime Last = 0;
  MonthKey BusiestMonth = kNoMonth;  // the month with most messages; of equal months the earliest
};

struct MonthFigures {
  std::int32_t Room = 0;
  MonthKey Month = kNoMonth;
  long long Messages = 0;
};

struct WriterFigures {
  std::int32_t Room = 0;
  std::string ID;      // code page 932 bytes, as the header has them
  std::string Handle;  // the handle of the writer's latest message (of equal dates the later one
                       // in load order), trimmed, code page 932
  long long Messages = 0;
  long long Threads = 0;  // threads started
  FileTime First = 0;
  FileTime Last = 0;
};

struct ArchiveStats {
  // By room number. A room is the room of the files that hold its messages, as the tree groups
  // them; files without a room number make room 0.
  std::vector<RoomFigures> Rooms;
  // By room, then month; only months that have messages.
  std::vector<MonthFigures> Months;
  // By room, then most messages first, then ID in byte order.
  std::vector<WriterFigures> Writers;
  // Per room (in the order of Rooms): element r is the number of threads with r replies.
  std::vector<std::vector<long long>> ThreadLengths;
  long long Messages = 0;

  // The index in Rooms of a room number, or -1.
  int RoomIndex(std::int32_t room) const;
};

// Every loaded message counts once per file that holds it, as the tree shows it. A thread is a
// child of a room node in tree (or a top-level message node, which files without a room make);
// its replies are every message below it. tree must have been built from files; a message
// without a node (a tree not built) counts as a thread of its own.
ArchiveStats ComputeArchiveStats(const LogFiles& files, const MessageTree& tree);
// The same pass for a thread other than the one that owns the files: it works out every date
// without the messages' cache (which that thread may be filling meanwhile), and stops between
// files once cancel is set (its figures are then partial).
ArchiveStats ComputeArchiveStats(const LogFiles& files, const MessageTree& tree,
                                 const std::atomic<bool>& cancel);

// The figures of one room only (an empty result when it is not loaded).
ArchiveStats SelectRoom(const ArchiveStats& stats, std::int32_t room);

// Messages per month from the first month with messages to the last, every month in between
// included (a month without messages is 0): for one room (its index in Rooms), or for all rooms
// added together when roomIndex is -1.
struct MonthSeries {
  MonthKey FirstMonth = kNoMonth;
  std::vector<long long> Messages;
};
MonthSeries MonthlyMessages(const ArchiveStats& stats, int roomIndex);

// The count rooms with the most messages (of equal rooms the lower number), as indices in Rooms
// in its order: the rooms a chart names when it has no room to name them all.
std::vector<int> LargestRooms(const ArchiveStats& stats, std::size_t count);

// The thread lengths in the chart's buckets: 0 to 9 replies one bucket each, then 10-19, 20-49,
// 50-99 and 100 or more; buckets past the longest thread are left out. For one room or, with -1,
// for all rooms.
struct LengthBucket {
  long long MinReplies = 0;
  long long MaxReplies = 0;  // -1: no upper end
  long long Threads = 0;
};
std::vector<LengthBucket> ThreadLengthBuckets(const ArchiveStats& stats, int roomIndex);

}  // namespace yuzulog
