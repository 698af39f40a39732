// Getting a file's bytes into memory: plain .LOG files, the largest member of an archive, and
// every way that can fail.
#include "logdata/logloader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <thread>
#include <vector>

#include "logdata/unlha32.h"
#include "tests/support/logbuilder.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::Sjis;
using testing::TempDir;

const std::string kData = YUZULOG_TEST_DATA;

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

TEST(LoaderTest, EmptyMissingAndHeaderlessFilesFailWithNoBuffer) {
  TempDir dir;
  for (const std::string& path : {dir.Write("empty.LOG", ""), dir.File("missing.LOG"),
                                  dir.Write("text.LOG", "hello\r\n"), kData + "/empty.LOG"}) {
    TLogData log;
    EXPECT_FALSE(log.LoadFromFile(path)) << path;
    EXPECT_EQ(log.Buffer(), nullptr);
    EXPECT_EQ(log.BufferSize(), 0u);
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(log.FileName, path);
  }
  // A folder named like a log is no file.
  TLogData folder;
  std::filesystem::create_directory(dir.Path() / "dir.LOG");
  EXPECT_FALSE(folder.LoadFromFile(dir.File("dir.LOG")));
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
  ASSERT_TRUE(log.LoadFromFile(kData + "/room12.lzh"));
  EXPECT_EQ(log.Room, 12);
  EXPECT_EQ(log.Count(), 30);
  EXPECT_EQ(log.BufferSize(), 4930u + 1);
  for (const char* name : {"room03-lh0.lzh", "room03-lh1.lzh"}) {
    TLogData older;
    ASSERT_TRUE(older.LoadFromFile(kData + "/" + name)) << name;
    EXPECT_EQ(older.Room, 3);
    EXPECT_EQ(older.Count(), 8);
  }
}

TEST(LoaderTest, ArchivesThatHoldNoUsableLogFail) {
  // The largest member is an .EXE; of two equal largest members the first stays chosen; a plain
  // .TXT file goes to the archive layer; truncated, corrupted and random bytes fail cleanly.
  for (const char* name :
       {"notlog.lzh", "tie.lzh", "plain.TXT", "corrupt.lzh", "badcrc.lzh", "garbage.lzh"}) {
    TLogData log;
    EXPECT_FALSE(log.LoadFromFile(kData + "/" + name)) << name;
    EXPECT_EQ(log.Buffer(), nullptr) << name;
    EXPECT_EQ(log.Count(), 0) << name;
  }
}

TEST(LoaderTest, ArchiveLayerListsMembersWithTheirStoredNames) {
  // The walk works the same whatever the locale: names stay the bytes the archive holds.
  for (const char* locale : {"C", "C.UTF-8"}) {
    std::setlocale(LC_ALL, locale);
    TUnlha32 unlha;
    ASSERT_TRUE(unlha.OpenArchive(kData + "/room12.lzh"));
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
  EXPECT_FALSE(none.OpenArchive(kData + "/garbage.lzh"));
  TUnlha32::Member m;
  EXPECT_FALSE(none.FindFirst(m));
}

TEST(LoaderTest, ExtractionNeedsTheDeclaredSizeExactly) {
  std::vector<char> buffer(8000, 0);
  EXPECT_EQ(TUnlha32::ExtractMem(kData + "/room12.lzh", 0, 4930, buffer.data(), buffer.size()),
            TUnlha32::Status::Ok);
  EXPECT_EQ(TUnlha32::ExtractMem(kData + "/room12.lzh", 0, 4930, buffer.data(), 100),
            TUnlha32::Status::SizeMismatch);
  EXPECT_EQ(TUnlha32::ExtractMem(kData + "/room12.lzh", 0, 5000, buffer.data(), buffer.size()),
            TUnlha32::Status::SizeMismatch);
  EXPECT_EQ(TUnlha32::ExtractMem(kData + "/room12.lzh", 7, 10, buffer.data(), buffer.size()),
            TUnlha32::Status::NoMember);
  EXPECT_NE(TUnlha32::ExtractMem(kData + "/corrupt.lzh", 0, 4930, buffer.data(), buffer.size()),
            TUnlha32::Status::Ok);
}

}  // namespace
}  // namespace yuzulog
