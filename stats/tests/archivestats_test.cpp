#include "stats/archivestats.h"

#include <gtest/gtest.h>

#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"
#include "tests/support/logbuilder.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::DataFile;
using testing::LogBuilder;
using testing::MessageSpec;

struct Library {
  LogFiles Files;
  MessageTree Tree;
  void Add(std::unique_ptr<TLogData> file) { Files.Append(std::move(file)); }
  void Load(const std::string& path) {
    auto file = std::make_unique<TLogData>();
    ASSERT_TRUE(file->LoadFromFile(path)) << path;
    Add(std::move(file));
  }
  ArchiveStats Stats() {
    Files.SortLogFiles();
    NullProgress progress;
    BuildMessageTree(Files, Tree, progress);
    return ComputeArchiveStats(Files, Tree);
  }
};

// Overlapping files of room 5 (three messages held twice), room 12 and room 3: the counts are
// those of the files and of the tree, copies included.
TEST(ArchiveStats, CountsWhatFilesAndTreeShow) {
  Library lib;
  for (const char* name : {"room12.lzh", "room05b.LOG", "room03-lh1.lzh", "room05a.LOG"})
    lib.Load(DataFile(name));
  const ArchiveStats s = lib.Stats();
  ASSERT_EQ(s.Rooms.size(), 3u);
  EXPECT_EQ(s.Messages, lib.Files.TotalMessages());
  for (int top = 0; top < lib.Tree.TopLevelCount(); ++top) {
    const std::int32_t node = lib.Tree.Child(MessageTree::kNone, top);
    const RoomFigures& room = s.Rooms[static_cast<std::size_t>(top)];
    EXPECT_EQ(room.Room, lib.Tree.At(node).Room);
    EXPECT_EQ(room.Threads, lib.Tree.ChildCount(node)) << room.Room;
    long long inFiles = 0;
    for (const auto& f : lib.Files)
      if (f->Room == room.Room) inFiles += f->Count();
    EXPECT_EQ(room.Messages, inFiles) << room.Room;
  }
  const RoomFigures& room5 = s.Rooms[1];
  EXPECT_EQ(room5.Messages, 23);
  EXPECT_EQ(room5.Threads, 7);

  // Room 12's threads and their replies as the fixture's notes list them.
  const int r12 = s.RoomIndex(12);
  ASSERT_EQ(r12, 2);
  EXPECT_EQ(s.Rooms[2].Threads, 12);
  EXPECT_EQ(s.ThreadLengths[2], (std::vector<long long>{1, 5, 5, 1}));
  EXPECT_EQ(s.ThreadLengths[1], (std::vector<long long>{0, 1, 4, 1, 1}));
  const std::vector<LengthBucket> buckets = ThreadLengthBuckets(s, -1);
  ASSERT_EQ(buckets.size(), 5u);  // nothing past the longest thread
  EXPECT_EQ(buckets[2].Threads, 0 + 4 + 5);
  long long threads = 0;
  for (const LengthBucket& b : buckets)
    threads += b.Threads;
  EXPECT_EQ(threads, s.Rooms[0].Threads + room5.Threads + 12);

  long long writerMessages = 0, writerThreads = 0;
  for (const WriterFigures& w : s.Writers)
    if (w.Room == 12) {
      writerMessages += w.Messages;
      writerThreads += w.Threads;
    }
  EXPECT_EQ(writerMessages, 30);
  EXPECT_EQ(writerThreads, 12);
  EXPECT_EQ(IsoDateText(s.Rooms[2].Last), "1997-05-21");

  std::atomic<bool> cancel{false};  // the pass another thread runs: whole, or stopped at once
  EXPECT_EQ(ComputeArchiveStats(lib.Files, lib.Tree, cancel).Writers.size(), s.Writers.size());
  cancel = true;
  EXPECT_EQ(ComputeArchiveStats(lib.Files, lib.Tree, cancel).Messages, 0);
}

// Two-digit years up to 80 are 20xx, from 81 19xx; months without messages are listed nowhere
// but are zeros in the series; of equal months the earliest is the busiest.
TEST(ArchiveStats, MonthsFollowTheTwoDigitYearRule) {
  LogBuilder log;
  const char* dates[] = {"80/12/31", "81/01/01", "99/12/31", "00/01/01", "00/03/15", "00/03/16"};
  int number = 1;
  for (const char* date : dates) {
    MessageSpec m;
    m.Number = number++;
    m.Room = 7;
    m.Date = date;
    log.Add(m);
  }
  Library lib;
  lib.Add(testing::ParsedLog(log.Text()));
  const ArchiveStats s = lib.Stats();
  ASSERT_EQ(s.Months.size(), 5u);
  std::vector<std::string> months;
  for (const MonthFigures& m : s.Months)
    months.push_back(IsoMonthText(m.Month));
  EXPECT_EQ(months,
            (std::vector<std::string>{"1981-01", "1999-12", "2000-01", "2000-03", "2080-12"}));
  EXPECT_EQ(IsoDateText(s.Rooms[0].First), "1981-01-01");
  EXPECT_EQ(IsoDateText(s.Rooms[0].Last), "2080-12-31");
  EXPECT_EQ(IsoMonthText(s.Rooms[0].BusiestMonth), "2000-03");

  const MonthSeries series = MonthlyMessages(s, 0);
  EXPECT_EQ(IsoMonthText(series.FirstMonth), "1981-01");
  ASSERT_EQ(series.Messages.size(), 100u * 12);
  EXPECT_EQ(series.Messages[1], 0);                       // 1981-02: a gap
  EXPECT_EQ(series.Messages[(2000 - 1981) * 12 + 2], 2);  // 2000-03

  // A tie: one message in each of 1999-12 and 2000-01 only.
  LogBuilder tie;
  for (const char* date : {"00/01/05", "99/12/05"}) {
    MessageSpec m;
    m.Number = number++;
    m.Date = date;
    tie.Add(m);
  }
  Library tied;
  tied.Add(testing::ParsedLog(tie.Text()));
  EXPECT_EQ(IsoMonthText(tied.Stats().Rooms[0].BusiestMonth), "1999-12");
}

// The rooms a crowded chart names: the largest, of equal ones the lower number, in room order.
TEST(ArchiveStats, LargestRoomsByMessagesThenNumber) {
  ArchiveStats s;
  const long long messages[] = {5, 9, 5, 1, 7};
  for (int room = 1; room <= 5; ++room)
    s.Rooms.push_back({.Room = room, .Messages = messages[room - 1]});
  EXPECT_EQ(LargestRooms(s, 3), (std::vector<int>{0, 1, 4}));
  EXPECT_EQ(LargestRooms(s, 9), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_TRUE(LargestRooms(s, 0).empty());
}

// Writers: most messages first, equal counts by ID; the handle of the latest message, not of
// the last one in the file.
TEST(ArchiveStats, WritersInADefinedOrder) {
  struct Row {
    const char* ID;
    const char* Handle;
    const char* Date;
    int CommentTo;
  };
  const Row rows[] = {
      {"ZZZ00001", "ぜっと", "97/01/01", -1}, {"AAA00001", "えー", "97/01/02", -1},
      {"MMM00001", "えむ新", "97/03/01", 2},  {"MMM00001", "えむ旧", "97/02/01", -1},
      {"AAA00001", "えー", "97/01/03", 1},    {"ZZZ00001", "ぜっと", "97/01/04", 5}};
  LogBuilder log;
  int number = 1;
  for (const Row& r : rows) {
    MessageSpec m;
    m.Number = number++;
    m.ID = r.ID;
    m.Handle = r.Handle;
    m.Date = r.Date;
    m.CommentTo = r.CommentTo;
    log.Add(m);
  }
  Library lib;
  lib.Add(testing::ParsedLog(log.Text()));
  const ArchiveStats s = lib.Stats();
  ASSERT_EQ(s.Writers.size(), 3u);
  EXPECT_EQ(s.Writers[0].ID, "AAA00001");
  EXPECT_EQ(s.Writers[1].ID, "MMM00001");
  EXPECT_EQ(s.Writers[2].ID, "ZZZ00001");
  EXPECT_EQ(s.Writers[1].Handle, testing::Sjis("えむ新"));
  EXPECT_EQ(s.Writers[1].Threads, 1);  // 4 starts a thread, 3 answers 2
  EXPECT_EQ(s.Writers[0].Threads, 1);
  EXPECT_EQ(IsoDateText(s.Writers[1].First), "1997-02-01");
  EXPECT_EQ(s.Rooms[0].Writers, 3);
  EXPECT_EQ(s.ThreadLengths[0], (std::vector<long long>{1, 1, 1}));
}

}  // namespace
}  // namespace yuzulog
