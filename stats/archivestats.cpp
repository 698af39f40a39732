#include "stats/archivestats.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"

namespace yuzulog {
namespace {

constexpr std::int64_t kTicksPerDay = 10'000'000LL * 86'400;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDaysTo1970 = 134'774;

// The months a message's date can fall in: the DOS date's years 1980-2107, and a day or hour
// past its range may carry a date a month further, day 0 a month back.
constexpr MonthKey kFirstSlot = 1979 * 12 + 11;
constexpr MonthKey kLastSlot = 2108 * 12 + 0;
constexpr std::size_t kSlots = static_cast<std::size_t>(kLastSlot - kFirstSlot + 1);

std::size_t SlotOf(MonthKey month) {
  return static_cast<std::size_t>(std::clamp(month, kFirstSlot, kLastSlot) - kFirstSlot);
}

// A writer of a room as two numbers: the ID's (at most 8) bytes, and its length with the
// room's index, so that a table slot holds 16 bytes and a key compares in two steps.
struct IdKey {
  std::uint64_t Bytes = 0;
  std::uint32_t LengthAndRoom = 0;
};
IdKey KeyOf(std::string_view id, std::size_t roomIndex) {
  IdKey key;
  const std::size_t length = std::min<std::size_t>(id.size(), sizeof key.Bytes);
  std::memcpy(&key.Bytes, id.data(), length);
  key.LengthAndRoom = static_cast<std::uint32_t>(length | roomIndex << 4);
  return key;
}

// The writers of every room by (room, ID): open addressing with linear probing, a table at most
// half full. A million lookups into std::unordered_map cost more than the rest of the pass.
class WriterTable {
 public:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  // The slot of the key; its Value is kEmpty when the key is new (the caller fills it).
  std::uint32_t& Find(const IdKey& key) {
    if ((FCount + 1) * 2 > FSlots.size()) Grow();
    const std::size_t mask = FSlots.size() - 1;
    for (std::size_t i = Hash(key) & mask;; i = (i + 1) & mask) {
      Slot& slot = FSlots[i];
      if (slot.Value == kEmpty) {
        slot.Bytes = key.Bytes;
        slot.LengthAndRoom = key.LengthAndRoom;
        ++FCount;
        return slot.Value;
      }
      if (slot.Bytes == key.Bytes && slot.LengthAndRoom == key.LengthAndRoom) return slot.Value;
    }
  }

 private:
  struct Slot {
    std::uint64_t Bytes = 0;
    std::uint32_t LengthAndRoom = 0;
    std::uint32_t Value = kEmpty;
  };
  static std::size_t Hash(const IdKey& k) {
    const std::uint64_t h =
        (k.Bytes ^ (std::uint64_t{k.LengthAndRoom} << 32)) * 0x9E3779B97F4A7C15ULL;
    return static_cast<std::size_t>(h ^ (h >> 31));
  }
  void Grow() {
    std::vector<Slot> old(FSlots.empty() ? 1024 : FSlots.size() * 2);
    old.swap(FSlots);
    const std::size_t mask = FSlots.size() - 1;
    for (const Slot& s : old) {
      if (s.Value == kEmpty) continue;
      std::size_t i = Hash({s.Bytes, s.LengthAndRoom}) & mask;
      while (FSlots[i].Value != kEmpty)
        i = (i + 1) & mask;
      FSlots[i] = s;
    }
  }
  std::vector<Slot> FSlots;
  std::size_t FCount = 0;
};

// The month of a date, remembered with the range of dates it spans: messages come mostly in
// date order, so most dates fall in the month before them and need no calendar arithmetic.
class MonthCache {
 public:
  MonthKey Month(FileTime t) {
    if (t >= FStart && t < FEnd) return FMonth;
    FMonth = MonthOf(t);
    const CivilDate d = DateOfFileTime(t);
    const std::int64_t dayTicks = kTicksPerDay;
    const FileTime dayStart = t - t % dayTicks;
    FStart = dayStart - (d.Day - 1) * dayTicks;
    FEnd = FStart + DaysInMonth(d.Year, d.Month) * dayTicks;
    return FMonth;
  }

 private:
  static int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
  }
  FileTime FStart = 0;
  FileTime FEnd = 0;
  MonthKey FMonth = kNoMonth;
};

struct WriterWork {
  std::string_view ID;
  const TLogMessage* Latest = nullptr;  // gives the handle used last
  long long Messages = 0;
  long long Threads = 0;
  FileTime First = 0;
  FileTime Last = 0;
};

struct RoomWork {
  std::int32_t Room = 0;
  long long Messages = 0;
  long long Threads = 0;
  FileTime First = 0;
  FileTime Last = 0;
  std::vector<long long> Months = std::vector<long long>(kSlots, 0);
  std::vector<WriterWork> Writers;
};

struct ThreadWork {
  std::size_t Room = 0;
  long long Replies = 0;
};

// What one pass over the messages gathers; the views into the files' buffers are copied out
// before the pass returns.
class StatsPass {
 public:
  StatsPass(const LogFiles& files, const MessageTree& tree,
            const std::atomic<bool>* cancel = nullptr)
      : FFiles(files), FTree(tree), FCancel(cancel) {}

  ArchiveStats Run() {
    if (!FTree.Building()) FThreadOf.assign(static_cast<std::size_t>(FTree.NodeCount()), -1);
    FThreads.reserve(static_cast<std::size_t>(FFiles.TotalMessages() / 4));
    for (const auto& file : FFiles) {
      if (FCancel && FCancel->load(std::memory_order_relaxed)) break;
      const TLogData& f = *file;
      RoomWork& room = RoomFor(f.Room);
      const std::vector<TLogMessage>& messages = f.Messages();
      // The header lines of each message are the only reads of its text; reading them ahead hides
      // the walk through a gigabyte of text.
      constexpr std::size_t kAhead = 8;
      for (std::size_t i = 0; i < messages.size(); ++i) {
        if (i + kAhead < messages.size()) {
          __builtin_prefetch(messages[i + kAhead].HeadStart + 12);
          __builtin_prefetch(messages[i + kAhead].Line2Start + 7);  // the date, when not cached
        }
        CountMessage(room, messages[i]);
      }
    }
    return Collect();
  }

 private:
  RoomWork& RoomFor(std::int32_t number) {
    if (FCurrent != nullptr && FCurrent->Room == number) return *FCurrent;
    auto it = std::find_if(FRooms.begin(), FRooms.end(),
                           [&](const RoomWork& r) { return r.Room == number; });
    if (it == FRooms.end()) {
      FRooms.emplace_back();
      FRooms.back().Room = number;
      FCurrentIndex = FRooms.size() - 1;
    } else {
      FCurrentIndex = static_cast<std::size_t>(it - FRooms.begin());
    }
    FCurrent = &FRooms[FCurrentIndex];
    return *FCurrent;
  }

  void CountMessage(RoomWork& room, const TLogMessage& m) {
    const FileTime t = FCancel ? m.ParseDateTime() : m.DateTime();
    ++room.Messages;
    if (room.Messages == 1 || t < room.First) room.First = t;
    if (room.Messages == 1 || t > room.Last) room.Last = t;
    ++room.Months[SlotOf(FMonths.Month(t))];

    const std::string_view id = m.ID();
    std::uint32_t& index = FWriters.Find(KeyOf(id, FCurrentIndex));
    if (index == WriterTable::kEmpty) {
      index = static_cast<std::uint32_t>(room.Writers.size());
      room.Writers.push_back({id, &m, 0, 0, t, t});
    }
    WriterWork& w = room.Writers[index];
    ++w.Messages;
    if (t < w.First) w.First = t;
    if (t >= w.Last) {
      w.Last = t;
      w.Latest = &m;
    }

    if (StartsThread(m)) {
      ++room.Threads;
      ++w.Threads;
    }
  }

  // Files are kept sorted and the tree was built from them in that order, so a parent has always
  // been counted before its replies.
  bool StartsThread(const TLogMessage& m) {
    const std::int32_t node = FTree.NodeOf(m);
    if (node < 0 || static_cast<std::size_t>(node) >= FThreadOf.size()) {
      FThreads.push_back({FCurrentIndex, 0});
      return true;
    }
    const std::int32_t parent = FTree.At(node).Parent;
    std::int32_t thread = -1;
    if (parent != MessageTree::kNone && FTree.At(parent).Message != nullptr)
      thread = FThreadOf[static_cast<std::size_t>(parent)];
    if (thread >= 0) {
      ++FThreads[static_cast<std::size_t>(thread)].Replies;
      FThreadOf[static_cast<std::size_t>(node)] = thread;
      return false;
    }
    FThreadOf[static_cast<std::size_t>(node)] = static_cast<std::int32_t>(FThreads.size());
    FThreads.push_back({FCurrentIndex, 0});
    return true;
  }

  ArchiveStats Collect() {
    ArchiveStats s;
    std::vector<std::size_t> order(FRooms.size());
    for (std::size_t i = 0; i < order.size(); ++i)
      order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return FRooms[a].Room < FRooms[b].Room; });
    std::vector<std::size_t> rankOf(FRooms.size());
    s.ThreadLengths.resize(FRooms.size());
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
      rankOf[order[rank]] = rank;
      RoomWork& r = FRooms[order[rank]];
      RoomFigures figures{r.Room,  r.Messages, r.Threads, static_cast<long long>(r.Writers.size()),
                          r.First, r.Last,     kNoMonth};
      long long busiest = 0;
      for (std::size_t slot = 0; slot < kSlots; ++slot) {
        if (r.Months[slot] == 0) continue;
        const MonthKey month = kFirstSlot + static_cast<MonthKey>(slot);
        s.Months.push_back({r.Room, month, r.Months[slot]});
        if (r.Months[slot] > busiest) {
          busiest = r.Months[slot];
          figures.BusiestMonth = month;
        }
      }
      s.Rooms.push_back(figures);
      s.Messages += r.Messages;

      std::sort(r.Writers.begin(), r.Writers.end(), [](const WriterWork& a, const WriterWork& b) {
        if (a.Messages != b.Messages) return a.Messages > b.Messages;
        return a.ID < b.ID;
      });
      for (const WriterWork& w : r.Writers)
        s.Writers.push_back({r.Room, std::string(w.ID), std::string(w.Latest->HandleName()),
                             w.Messages, w.Threads, w.First, w.Last});
    }
    for (const ThreadWork& t : FThreads) {
      std::vector<long long>& lengths = s.ThreadLengths[rankOf[t.Room]];
      const auto replies = static_cast<std::size_t>(t.Replies);
      if (lengths.size() <= replies) lengths.resize(replies + 1, 0);
      ++lengths[replies];
    }
    return s;
  }

  const LogFiles& FFiles;
  const MessageTree& FTree;
  const std::atomic<bool>* FCancel;
  std::vector<RoomWork> FRooms;
  RoomWork* FCurrent = nullptr;
  std::size_t FCurrentIndex = 0;
  WriterTable FWriters;
  MonthCache FMonths;
  std::vector<std::int32_t> FThreadOf;  // per tree node: its thread's index in FThreads
  std::vector<ThreadWork> FThreads;
};

}  // namespace

CivilDate DateOfFileTime(FileTime t) {
  // Howard Hinnant's civil_from_days, counted from 1601-01-01.
  std::int64_t z = t / kTicksPerDay - kDaysTo1970 + 719'468;
  const std::int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
  const auto doe = static_cast<unsigned>(z - era * 146'097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2);
  return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

MonthKey MonthOf(FileTime t) {
  const CivilDate d = DateOfFileTime(t);
  return d.Year * 12 + d.Month - 1;
}

std::string IsoDateText(FileTime t) {
  const CivilDate d = DateOfFileTime(t);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
  return text;
}

std::string IsoMonthText(MonthKey month) {
  if (month == kNoMonth) return {};
  char text[24];
  std::snprintf(text, sizeof text, "%04d-%02d", month / 12, month % 12 + 1);
  return text;
}

int ArchiveStats::RoomIndex(std::int32_t room) const {
  auto it = std::lower_bound(Rooms.begin(), Rooms.end(), room,
                             [](const RoomFigures& r, std::int32_t n) { return r.Room < n; });
  return it != Rooms.end() && it->Room == room ? static_cast<int>(it - Rooms.begin()) : -1;
}

ArchiveStats ComputeArchiveStats(const LogFiles& files, const MessageTree& tree) {
  return StatsPass(files, tree).Run();
}

ArchiveStats ComputeArchiveStats(const LogFiles& files, const MessageTree& tree,
                                 const std::atomic<bool>& cancel) {
  return StatsPass(files, tree, &cancel).Run();
}

ArchiveStats SelectRoom(const ArchiveStats& stats, std::int32_t room) {
  ArchiveStats one;
  const int index = stats.RoomIndex(room);
  if (index < 0) return one;
  one.Rooms.push_back(stats.Rooms[static_cast<std::size_t>(index)]);
  one.ThreadLengths.push_back(stats.ThreadLengths[static_cast<std::size_t>(index)]);
  one.Messages = one.Rooms.front().Messages;
  for (const MonthFigures& m : stats.Months)
    if (m.Room == room) one.Months.push_back(m);
  for (const WriterFigures& w : stats.Writers)
    if (w.Room == room) one.Writers.push_back(w);
  return one;
}

MonthSeries MonthlyMessages(const ArchiveStats& stats, int roomIndex) {
  MonthSeries series;
  const bool all = roomIndex < 0;
  const std::int32_t room = all ? 0 : stats.Rooms[static_cast<std::size_t>(roomIndex)].Room;
  MonthKey last = kNoMonth;
  for (const MonthFigures& m : stats.Months) {
    if (!all && m.Room != room) continue;
    if (series.FirstMonth == kNoMonth || m.Month < series.FirstMonth) series.FirstMonth = m.Month;
    last = std::max(last, m.Month);
  }
  if (series.FirstMonth == kNoMonth) return series;
  series.Messages.assign(static_cast<std::size_t>(last - series.FirstMonth + 1), 0);
  for (const MonthFigures& m : stats.Months)
    if (all || m.Room == room)
      series.Messages[static_cast<std::size_t>(m.Month - series.FirstMonth)] += m.Messages;
  return series;
}

std::vector<int> LargestRooms(const ArchiveStats& stats, std::size_t count) {
  std::vector<int> rooms(stats.Rooms.size());
  for (std::size_t i = 0; i < rooms.size(); ++i)
    rooms[i] = static_cast<int>(i);
  if (count >= rooms.size()) return rooms;
  // Rooms is by number, so a stable sort keeps the lower number first among equals.
  std::stable_sort(rooms.begin(), rooms.end(), [&](int a, int b) {
    return stats.Rooms[static_cast<std::size_t>(a)].Messages >
           stats.Rooms[static_cast<std::size_t>(b)].Messages;
  });
  rooms.resize(count);
  std::sort(rooms.begin(), rooms.end());
  return rooms;
}

std::vector<LengthBucket> ThreadLengthBuckets(const ArchiveStats& stats, int roomIndex) {
  std::vector<long long> lengths;
  for (std::size_t r = 0; r < stats.ThreadLengths.size(); ++r) {
    if (roomIndex >= 0 && r != static_cast<std::size_t>(roomIndex)) continue;
    const std::vector<long long>& room = stats.ThreadLengths[r];
    if (lengths.size() < room.size()) lengths.resize(room.size(), 0);
    for (std::size_t i = 0; i < room.size(); ++i)
      lengths[i] += room[i];
  }
  std::vector<LengthBucket> buckets;
  for (long long n = 0; n < 10; ++n)
    buckets.push_back({n, n, 0});
  buckets.push_back({10, 19, 0});
  buckets.push_back({20, 49, 0});
  buckets.push_back({50, 99, 0});
  buckets.push_back({100, -1, 0});
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    const auto replies = static_cast<long long>(i);
    auto it = std::find_if(buckets.begin(), buckets.end(), [&](const LengthBucket& b) {
      return replies >= b.MinReplies && (b.MaxReplies < 0 || replies <= b.MaxReplies);
    });
    it->Threads += lengths[i];
  }
  const auto longest = static_cast<long long>(lengths.size()) - 1;
  while (!buckets.empty() && buckets.back().MinReplies > longest)
    buckets.pop_back();
  return buckets;
}

}  // namespace yuzulog
