// Our LHA reader on whole archives: the fixtures next to libarchive's reading of them, members
// that must fail, and logs loaded through it.
#include "logdata/lhareader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logdata/logdata.h"
#include "logdata/unlha32.h"
#include "tests/support/lhaarchive.h"
#include "tests/support/lhacompare.h"
#include "tests/support/tempdir.h"

namespace yuzulog::lha {
namespace {

using testing::CompareWithLibarchive;
using testing::LhaArchive;
using testing::LhaComparison;
using testing::LhaLayout;
using testing::TempDir;

const std::string kData = YUZULOG_TEST_DATA;

TEST(LhaArchiveTest, FixturesReadAsLibarchiveReadsThem) {
  for (const char* name :
       {"room12.lzh", "room03-lh0.lzh", "room03-lh1.lzh", "notlog.lzh", "tie.lzh", "badcrc.lzh",
        "methods.lzh", "dirs-l0.lzh", "dirs-l1.lzh", "dirs-l2.lzh"}) {
    const LhaComparison c = CompareWithLibarchive(kData + "/" + name);
    EXPECT_EQ(c.Differences, "") << name;
    EXPECT_TRUE(c.Ours) << name;
  }
  // Data cut short: libarchive ends the walk there; ours leaves the walk to it.
  for (const char* name : {"corrupt.lzh", "garbage.lzh", "plain.TXT", "empty.LOG"}) {
    const LhaComparison c = CompareWithLibarchive(kData + "/" + name);
    EXPECT_EQ(c.Differences, "") << name;
    EXPECT_FALSE(c.Ours) << name;
  }
}

TEST(LhaArchiveTest, CorruptMembersFailWithoutFallback) {
  // badcrc.lzh: our reader takes the member and its verdict stands.
  std::vector<char> buffer(4930);
  FileSource source(kData + "/badcrc.lzh");
  Member m;
  ASSERT_EQ(FindMember(source, 0, m), HeaderResult::Member);
  EXPECT_NE(Extract(source, m, buffer.data(), buffer.size()), DecodeStatus::Ok);
  EXPECT_EQ(TUnlha32::ExtractMem(kData + "/badcrc.lzh", 0, 4930, buffer.data(), buffer.size()),
            TUnlha32::Status::BadData);
  // corrupt.lzh: the data runs past the end of the file.
  FileSource cut(kData + "/corrupt.lzh");
  ASSERT_EQ(FindMember(cut, 0, m), HeaderResult::Member);
  EXPECT_EQ(Extract(cut, m, buffer.data(), buffer.size()), DecodeStatus::Truncated);
  // A buffer too small for the member.
  FileSource good(kData + "/room12.lzh");
  ASSERT_EQ(FindMember(good, 0, m), HeaderResult::Member);
  EXPECT_EQ(Extract(good, m, buffer.data(), 4929), DecodeStatus::SizeMismatch);
}

TEST(LhaArchiveTest, LogsLoadFromEveryMethodAndLevel) {
  // dirs-l2.lzh holds its log as -lh4-, which only our reader decodes.
  for (const char* name : {"dirs-l0.lzh", "dirs-l1.lzh", "dirs-l2.lzh", "methods.lzh"}) {
    TLogData log;
    ASSERT_TRUE(log.LoadFromFile(kData + "/" + name)) << name;
    EXPECT_EQ(log.Room, 5) << name;
  }
}

TEST(LhaArchiveTest, MemberOfSizeZero) {
  LhaLayout layout;
  TempDir dir;
  const std::string path = dir.Write("zero.lzh", LhaArchive(layout, ""));
  char byte = 'x';
  EXPECT_EQ(TUnlha32::ExtractMem(path, 0, 0, &byte, 0), TUnlha32::Status::Ok);
  EXPECT_EQ(byte, 'x');
  // A -lh5- member of size 0 and no data; with a byte of data left over it is corrupt.
  layout.Method = "-lh5-";
  const std::string lh5 = dir.Write("zero5.lzh", LhaArchive(layout, ""));
  EXPECT_EQ(TUnlha32::ExtractMem(lh5, 0, 0, &byte, 0), TUnlha32::Status::Ok);
  EXPECT_EQ(TUnlha32::ExtractMem(lh5, 0, 0, &byte, 0, TUnlha32::Reader::LibarchiveOnly),
            TUnlha32::Status::Ok);
  const char packed[] = {0};
  MemorySource source(packed, 1);
  Member m;
  m.Kind = Method::Lh5;
  m.PackedSize = 1;
  EXPECT_EQ(Extract(source, m, &byte, 0), DecodeStatus::TooLong);
  m.Crc = 1;
  m.PackedSize = 0;
  EXPECT_EQ(Extract(source, m, &byte, 0), DecodeStatus::CrcMismatch);
  EXPECT_EQ(byte, 'x');
}

}  // namespace
}  // namespace yuzulog::lha
