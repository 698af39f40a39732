// Getting a file's bytes into memory: plain .LOG files, the largest member of an archive, and
// every way that can fail.
#include "logdata/logloader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstring>
#include <fstream>
#include <future>
#include <set>
#include <thread>
#include <vector>

#include "logdata/lhareader.h"
#include "logdata/unlha32.h"
#include "tests/support/lhaarchive.h"
#include "tests/support/lhaencoder.h"
#include "tests/support/logbuilder.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::DataFile;
using testing::LhaArchive;
using testing::LhaLayout;
using testing::LhaMember;
using testing::LogBuilder;
using testing::MakeLhaLayout;
using testing::MessageSpec;
using testing::Sjis;
using testing::TempDir;

std::string ValidLog() {
  MessageSpec m;
  return LogBuilder().Add(m).Text();
}

TEST(LoaderTest, LogExtensionInAnyCaseIsReadDirectly) {
  TempDir dir;
  for (const char* name : {"a.LOG", "b.log", "c.Log"}) {
    TLogData log;
    ASSERT_TRUE(log.LoadFromFile(dir.Write(name, ValidLog()))) << name;
    EXPECT_EQ(log.BufferSize(), ValidLog().size() + 1);
    EXPECT_EQ(log.Count(), 1);
    EXPECT_EQ(log.Room, 12);
    EXPECT_EQ(log.FirstNumber, 1);
  }
}

TEST(LoaderTest, LargeFilesAreReadWholeWithTheirFinalNul) {
  // Large files go into a mapped buffer of their own; one of them is a whole number of pages
  // long, so the NUL after the text starts a page of its own.
  TempDir dir;
  MessageSpec m;
  m.Body = std::string(300, 'x');
  LogBuilder b;
  for (int i = 1; b.Text().size() < 600 * 1024; ++i) {
    m.Number = i;
    b.Add(m);
  }
  std::string pageMultiple = b.Text();
  pageMultiple.resize(pageMultiple.size() / 4096 * 4096);
  for (const std::string& text : {b.Text(), pageMultiple}) {
    TLogData log;
    ASSERT_TRUE(log.LoadFromFile(dir.Write("big.LOG", text)));
    ASSERT_EQ(log.BufferSize(), text.size() + 1);
    EXPECT_EQ(log.Buffer()[text.size()], '\0');
    EXPECT_EQ(log.Items(log.Count() - 1).TextEnd, log.Buffer() + text.size());
    // Cutting to whole pages can only lose the last message.
    EXPECT_GE(log.Count(), m.Number - 1);
  }
}

TEST(LoaderTest, LargeArchivedLogsLoadWholeOrFailCleanly) {
  // Over a megabyte: a thread of its own faults in the buffer's pages while the loader writes
  // them, and stops before a failed load frees the buffer.
  MessageSpec m;
  m.Body = std::string(500, 'y');
  LogBuilder b;
  for (int i = 1; b.Text().size() < 1536 * 1024; ++i) {
    m.Number = i;
    b.Add(m);
  }
  const std::string& text = b.Text();
  const auto size = static_cast<std::uint32_t>(text.size());
  const std::uint16_t crc = lha::Crc16(text.data(), text.size());
  const LhaLayout stored = MakeLhaLayout(2, "-lh0-", "BIG.LOG");
  TempDir dir;
  const std::string good = dir.Write("big.lzh", LhaArchive(stored, text));
  const std::string bad = dir.Write("bad.lzh", LhaMember(stored, text, size, crc ^ 1) + '\0');
  for (int round = 0; round < 5; ++round) {
    TLogData log;
    ASSERT_TRUE(log.LoadFromFile(good));
    ASSERT_EQ(log.BufferSize(), text.size() + 1);
    ASSERT_EQ(log.Count(), m.Number);  // every message came out, the last one whole
    EXPECT_EQ(log.Items(log.Count() - 1).TextEnd, log.Buffer() + text.size());
    TLogData failed;
    EXPECT_EQ(failed.LoadFromFile(bad).Outcome, LoadOutcome::ArchiveCrcMismatch);
  }
}

TEST(LoaderTest, FileChangedBetweenItsLengthAndItsReadFailsOrGivesTheBytesMeasured) {
  TempDir dir;
  LogBuilder b;
  for (int n = 1; n <= 40; ++n) {
    MessageSpec m;
    m.Number = n;
    m.Body = std::string(200, 'x');
    b.Add(m);
  }
  const std::string text = b.Text();
  const std::string path = dir.Write("a.LOG", text);
  struct Change {
    const char* What;
    off_t NewLength;  // the file cut to this length (-1: not cut)
    bool Grow;        // more text appended
    bool Loads;
  };
  for (const Change& change :
       {Change{"cut short", static_cast<off_t>(text.size() / 2), false, false},
        Change{"emptied", 0, false, false}, Change{"grown", -1, true, true}}) {
    dir.Write("a.LOG", text);
    TLogLoader loader(path);
    loader.AfterSizeQuery = [&] {
      if (change.NewLength >= 0) {
        ASSERT_EQ(truncate(path.c_str(), change.NewLength), 0);
      }
      if (change.Grow) std::ofstream(path, std::ios::app) << text;
    };
    loader.Execute();
    if (change.Loads) {
      ASSERT_TRUE(loader.Buffer) << change.What;
      EXPECT_EQ(std::string(loader.Buffer.get(), loader.BufferSize), text + '\0') << change.What;
    } else {
      EXPECT_FALSE(loader.Buffer) << change.What;
      EXPECT_EQ(loader.BufferSize, 0u) << change.What;
      EXPECT_EQ(loader.Outcome, LoadOutcome::CannotRead) << change.What;
    }
  }
}

TEST(LoaderThreadTest, WorkRunsOnceWhereverItRunsAndDroppedWorkAtMostOnce) {
  // Finish runs work the loader thread has not begun on the caller's thread, Drop drops it;
  // which of the two threads runs it is a race, but work never runs twice, and neither returns
  // while the work still runs.
  for (int round = 0; round < 2000; ++round) {
    int runs = 0;
    LoaderThread thread;
    thread.Start([&runs] { ++runs; });
    if (round % 2 == 0) {
      thread.Finish();
      ASSERT_EQ(runs, 1) << round;
    } else {
      thread.Drop();
      ASSERT_LE(runs, 1) << round;
    }
    EXPECT_FALSE(thread.Busy());
  }
}

TEST(LoaderTest, LoadsFromSeveralThreadsEachGetTheirOwnFile) {
  // Loaders share one worker thread: callers on two threads must each get their own text.
  TempDir dir;
  std::vector<std::string> paths;
  for (int room = 1; room <= 8; ++room) {
    MessageSpec m;
    m.Room = room;
    const std::string name = std::to_string(room) + ".LOG";
    paths.push_back(dir.Write(name, LogBuilder().Add(m).Text()));
  }
  auto loadAll = [&](int& failures) {
    for (int round = 0; round < 20; ++round)
      for (std::size_t i = 0; i < paths.size(); ++i) {
        TLogData log;
        if (!log.LoadFromFile(paths[i]) || log.Room != static_cast<int>(i) + 1) ++failures;
      }
  };
  int failuresA = 0;
  int failuresB = 0;
  std::thread other([&] { loadAll(failuresB); });
  loadAll(failuresA);
  other.join();
  EXPECT_EQ(failuresA, 0);
  EXPECT_EQ(failuresB, 0);
}

// A file too large for memory: sparse, so it takes no disk. Empty when the file system cannot
// hold one that large or the system would hand out the memory anyway (overcommit always on), in
// which case the load would not fail but fill the machine.
std::string HugeSparseLog(const TempDir& dir) {
  std::ifstream policy("/proc/sys/vm/overcommit_memory");
  int overcommit = 0;
  if (!(policy >> overcommit) || overcommit == 1) return {};
  const std::string path = dir.Write("huge.LOG", "");
  for (const off_t size : {off_t{1} << 50, (off_t{1} << 44) - 4096})
    if (truncate(path.c_str(), size) == 0) return path;
  return {};
}

// An archive of about 60 bytes whose one -lh5- member declares 64 MB: a block with one literal,
// then blocks of 65535 matches of 256 bytes each, every code a single symbol of no bits. Built
// the same way, 256 such blocks in 1.7 kB declare 4 GB.
std::string BombArchive(const TempDir& dir) {
  testing::BitWriter w;
  testing::WriteBlock(w, {testing::Lit('a')}, 14, 4);
  const std::vector<testing::Token> run(65535, testing::Match(256, 1));
  for (int block = 0; block < 4; ++block)
    testing::WriteBlock(w, run, 14, 4);
  const std::vector<std::uint8_t> stream = w.Bytes();
  const std::uint32_t size = 1 + 4u * 65535u * 256u;
  return dir.Write("bomb.lzh", LhaMember(MakeLhaLayout(2, "-lh5-", "BOMB.LOG"),
                                         std::string(stream.begin(), stream.end()), size, 0) +
                                   '\0');
}

TEST(LoaderTest, EveryFailureSaysWhy) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "dir.LOG");
  std::filesystem::create_directory(dir.Path() / "dir.lzh");
  // A log stored in an archive built byte by byte loads; the archives below each break one
  // thing of it.
  const std::string text = ValidLog();
  const auto size = static_cast<std::uint32_t>(text.size());
  const std::uint16_t crc = lha::Crc16(text.data(), text.size());
  const LhaLayout stored = MakeLhaLayout(2, "-lh0-", "ROOM.LOG");
  TLogData good;
  ASSERT_TRUE(good.LoadFromFile(dir.Write("good.lzh", LhaArchive(stored, text))));

  struct Case {
    std::string Path;
    LoadOutcome Outcome;
  };
  std::vector<Case> cases = {
      {dir.File("missing.LOG"), LoadOutcome::CannotRead},
      {dir.File("missing.lzh"), LoadOutcome::CannotRead},
      {dir.File("dir.LOG"), LoadOutcome::NotRegularFile},
      {dir.File("dir.lzh"), LoadOutcome::NotRegularFile},
      {DataFile("empty.LOG"), LoadOutcome::EmptyFile},
      {dir.Write("empty.lzh", ""), LoadOutcome::EmptyFile},
      {DataFile("plain.TXT"), LoadOutcome::NotLhaArchive},
      {DataFile("garbage.lzh"), LoadOutcome::NotLhaArchive},
      {dir.Write("header.lzh",
                 LhaArchive(MakeLhaLayout(2, "-lh0-", "ROOM.LOG", {}, true, 1), text)),
       LoadOutcome::BadArchiveHeader},
      {DataFile("corrupt.lzh"), LoadOutcome::ArchiveTruncated},
      // Declared one byte shorter than the data it stores.
      {dir.Write("short.lzh", LhaMember(stored, text, size - 1, crc) + '\0'),
       LoadOutcome::ArchiveSizeMismatch},
      {dir.Write("crc.lzh", LhaMember(stored, text, size, crc ^ 1) + '\0'),
       LoadOutcome::ArchiveCrcMismatch},
      {DataFile("badcrc.lzh"), LoadOutcome::BadArchiveData},
      // -lh1- behind a header our reader leaves to libarchive (a time-zone record), which lists
      // the member but has no decoder for it.
      {dir.Write(
           "lh1.lzh",
           LhaArchive(MakeLhaLayout(2, "-lh1-", "ROOM.LOG", {{0x43, std::string(1, '\0')}}), text)),
       LoadOutcome::UnsupportedMethod},
      {BombArchive(dir), LoadOutcome::BadArchiveHeader},
      {DataFile("notlog.lzh"), LoadOutcome::NotLogMember},
      // Of two equal largest members the first, an .EXE, stays chosen.
      {DataFile("tie.lzh"), LoadOutcome::NotLogMember},
      {dir.Write("text.LOG", "hello\r\n"), LoadOutcome::NoMessage},
  };
  if (const std::string huge = HugeSparseLog(dir); !huge.empty())
    cases.push_back({huge, LoadOutcome::OutOfMemory});

  std::set<LoadOutcome> outcomes;
  std::set<std::string> reasons;
  for (const Case& c : cases) {
    TLogData log;
    const LoadResult result = log.LoadFromFile(c.Path);
    EXPECT_EQ(result.Outcome, c.Outcome) << c.Path;
    EXPECT_FALSE(result) << c.Path;
    EXPECT_EQ(log.Buffer(), nullptr) << c.Path;
    EXPECT_EQ(log.BufferSize(), 0u) << c.Path;
    EXPECT_EQ(log.Count(), 0) << c.Path;
    EXPECT_EQ(log.FileName, c.Path);
    EXPECT_FALSE(result.Reason.empty()) << c.Path;
    outcomes.insert(result.Outcome);
    reasons.insert(result.Reason);
  }
  // Each outcome has a text of its own; a file that cannot be opened names the system's error.
  EXPECT_EQ(reasons.size(), outcomes.size());
  EXPECT_EQ(MakeLoadResult(LoadOutcome::CannotRead, ENOENT).Reason,
            std::string("ファイルを読み込めません：") + std::strerror(ENOENT));
  EXPECT_TRUE(MakeLoadResult(LoadOutcome::Loaded));
}

TEST(LoaderTest, NulBytesOfAFileOrAMemberAreCounted) {
  // A NUL in message 2 of 5 once ended the text there (the parse tests hold how it reads).
  std::string text = testing::RoomLogText(12, 1, 5);
  text[text.size() / 3] = text[text.size() / 3 + 1] = '\0';
  TempDir dir;
  for (const std::string& path :
       {dir.Write("n.LOG", text),
        dir.Write("n.lzh", LhaArchive(MakeLhaLayout(2, "-lh0-", "N.LOG"), text))}) {
    TLogData log;
    ASSERT_TRUE(log.LoadFromFile(path)) << path;
    EXPECT_EQ(log.Count(), 5);
    EXPECT_EQ(log.NulBytes, 2u);
  }
}

TEST(LoaderTest, RoomIsTheFirstRoomAboveZero) {
  MessageSpec a;
  a.Room = 0;
  a.Number = 3;
  MessageSpec b;
  b.Room = 7;
  b.Number = 4;
  TempDir dir;
  TLogData log;
  ASSERT_TRUE(log.LoadFromFile(dir.Write("r.LOG", LogBuilder().Add(a).Add(b).Text())));
  EXPECT_EQ(log.Room, 7);
  EXPECT_EQ(log.FirstNumber, 3);
}

TEST(LoaderTest, ArchiveGivesItsLargestMemberWhenItIsALog) {
  TLogData log;
  ASSERT_TRUE(log.LoadFromFile(DataFile("room12.lzh")));
  EXPECT_EQ(log.Room, 12);
  EXPECT_EQ(log.Count(), 30);
  EXPECT_EQ(log.BufferSize(), 4930u + 1);
  for (const char* name : {"room03-lh0.lzh", "room03-lh1.lzh"}) {
    TLogData older;
    ASSERT_TRUE(older.LoadFromFile(DataFile(name))) << name;
    EXPECT_EQ(older.Room, 3);
    EXPECT_EQ(older.Count(), 8);
  }
}

TEST(LoaderTest, ArchiveLayerListsMembersWithTheirStoredNames) {
  // The walk works the same whatever the locale: names stay the bytes the archive holds.
  for (const char* locale : {"C", "C.UTF-8"}) {
    std::setlocale(LC_ALL, locale);
    TUnlha32 unlha;
    ASSERT_TRUE(unlha.OpenArchive(DataFile("room12.lzh")));
    std::vector<TUnlha32::Member> members;
    TUnlha32::Member m;
    for (bool more = unlha.FindFirst(m); more; more = unlha.FindNext(m))
      members.push_back(m);
    ASSERT_EQ(members.size(), 3u) << locale;
    EXPECT_EQ(members[0].Name, "ROOM12.LOG");
    EXPECT_EQ(members[0].Size, 4930u);
    EXPECT_EQ(members[1].Name, "README.TXT");
    EXPECT_EQ(members[2].Name, Sjis("はじめに.TXT")) << locale;
    EXPECT_EQ(members[2].Index, 2);
  }
  std::setlocale(LC_ALL, "C");
  TUnlha32 none;
  EXPECT_FALSE(none.OpenArchive(DataFile("garbage.lzh")));
  TUnlha32::Member m;
  EXPECT_FALSE(none.FindFirst(m));
}

TEST(LoaderTest, ExtractionNeedsTheDeclaredSizeExactly) {
  std::vector<char> buffer(8000, 0);
  EXPECT_EQ(TUnlha32::ExtractMem(DataFile("room12.lzh"), 0, 4930, buffer.data(), buffer.size()),
            TUnlha32::Status::Ok);
  EXPECT_EQ(TUnlha32::ExtractMem(DataFile("room12.lzh"), 0, 4930, buffer.data(), 100),
            TUnlha32::Status::SizeMismatch);
  EXPECT_EQ(TUnlha32::ExtractMem(DataFile("room12.lzh"), 0, 5000, buffer.data(), buffer.size()),
            TUnlha32::Status::SizeMismatch);
  EXPECT_EQ(TUnlha32::ExtractMem(DataFile("room12.lzh"), 7, 10, buffer.data(), buffer.size()),
            TUnlha32::Status::NoMember);
  EXPECT_NE(TUnlha32::ExtractMem(DataFile("corrupt.lzh"), 0, 4930, buffer.data(), buffer.size()),
            TUnlha32::Status::Ok);
}

// A pipe named like a log or an archive: opening it to read would wait for a writer that never
// comes. Every path of the load fails it at once; a path that waits fails the test after a while
// (a writer is then let in, so the waiting open returns).
TEST(LoaderTest, PipesNamedLikeLogsFailAtOnceInsteadOfWaiting) {
  TempDir dir;
  for (const char* name : {"pipe.LOG", "pipe.lzh"}) {
    const std::string path = dir.File(name);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << std::strerror(errno);
    auto withinTime = [&path](auto&& what) {
      auto done = std::async(std::launch::async, what);
      if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return done.get();
      const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK);
      ADD_FAILURE() << path << " waited";
      done.wait();
      if (writer >= 0) close(writer);
      return done.get();
    };
    EXPECT_EQ(withinTime([&] {
                TLogData log;
                return log.LoadFromFile(path).Outcome;
              }),
              LoadOutcome::NotRegularFile)
        << name;
    // The archive layer itself, with either reader, as a pipe put in place after the loader's
    // check would meet it.
    for (const TUnlha32::Reader reader :
         {TUnlha32::Reader::Auto, TUnlha32::Reader::LibarchiveOnly}) {
      EXPECT_EQ(withinTime([&] {
                  TUnlha32 unlha;
                  return unlha.OpenArchive(path, reader) ? TUnlha32::Status::Ok
                                                         : unlha.WalkStatus();
                }),
                TUnlha32::Status::NotRegularFile)
          << name;
      char byte;
      EXPECT_EQ(withinTime([&] { return TUnlha32::ExtractMem(path, 0, 1, &byte, 1, reader); }),
                TUnlha32::Status::NotRegularFile)
          << name;
    }
  }
}

}  // namespace
}  // namespace yuzulog
