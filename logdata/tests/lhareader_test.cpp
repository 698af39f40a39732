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
#include "tests/support/testdata.h"

namespace yuzulog::lha {
namespace {

using testing::DataFile;

using testing::CompareWithLibarchive;
using testing::LhaArchive;
using testing::LhaComparison;
using testing::LhaLayout;
using testing::TempDir;

TEST(LhaArchiveTest, FixturesReadAsLibarchiveReadsThem) {
  for (const char* name : {"room12.lzh", "room03-lh0.lzh", "room03-lh1.lzh", "notlog.lzh",
                           "tie.lzh", "badcrc.lzh", "methods.lzh", "dirs-l0.lzh", "dirs-l1.lzh",
                           "dirs-l2.lzh", "oldmethods.lzh", "levels.lzh"}) {
    const LhaComparison c = CompareWithLibarchive(DataFile(name));
    EXPECT_EQ(c.Differences, "") << name;
    EXPECT_TRUE(c.Ours) << name;
  }
  // Data cut short: libarchive ends the walk there; ours leaves the walk to it.
  for (const char* name : {"corrupt.lzh", "garbage.lzh", "plain.TXT", "empty.LOG"}) {
    const LhaComparison c = CompareWithLibarchive(DataFile(name));
    EXPECT_EQ(c.Differences, "") << name;
    EXPECT_FALSE(c.Ours) << name;
  }
}

TEST(LhaArchiveTest, CorruptMembersFailWithoutFallback) {
  // badcrc.lzh: our reader takes the member and its verdict stands.
  std::vector<char> buffer(4930);
  FileSource source(DataFile("badcrc.lzh"));
  Member m;
  ASSERT_EQ(FindMember(source, 0, m), HeaderResult::Member);
  EXPECT_NE(Extract(source, m, buffer.data(), buffer.size()), DecodeStatus::Ok);
  EXPECT_EQ(TUnlha32::ExtractMem(DataFile("badcrc.lzh"), 0, 4930, buffer.data(), buffer.size()),
            TUnlha32::Status::BadData);
  // corrupt.lzh: the data runs past the end of the file.
  FileSource cut(DataFile("corrupt.lzh"));
  ASSERT_EQ(FindMember(cut, 0, m), HeaderResult::Member);
  EXPECT_EQ(Extract(cut, m, buffer.data(), buffer.size()), DecodeStatus::Truncated);
  // A buffer too small for the member.
  FileSource good(DataFile("room12.lzh"));
  ASSERT_EQ(FindMember(good, 0, m), HeaderResult::Member);
  EXPECT_EQ(Extract(good, m, buffer.data(), 4929), DecodeStatus::SizeMismatch);
}

TEST(LhaArchiveTest, LogsLoadFromEveryMethodAndLevel) {
  // dirs-l2.lzh holds its log as -lh4-, levels.lzh as -lh1-, oldmethods.lzh as -lh1- too: only
  // our reader decodes them.
  for (const char* name : {"dirs-l0.lzh", "dirs-l1.lzh", "dirs-l2.lzh", "methods.lzh", "levels.lzh",
                           "oldmethods.lzh"}) {
    TLogData log;
    ASSERT_TRUE(log.LoadFromFile(DataFile(name))) << name;
    EXPECT_EQ(log.Room, 5) << name;
  }
}

// The bytes of member index of the archive at path, as our reader extracts them.
std::string ExtractOurs(const std::string& path, int index, DecodeStatus& status) {
  FileSource source(path);
  Member m;
  if (FindMember(source, index, m) != HeaderResult::Member) {
    status = DecodeStatus::ReadError;
    return {};
  }
  std::string bytes(m.Size, '\0');
  status = Extract(source, m, bytes.data(), bytes.size());
  return bytes;
}

TEST(LhaArchiveTest, OlderMethodsGiveTheBytesTheirArchiverWasGiven) {
  // oldmethods.lzh's first five members hold the text of methods.lzh's -lh5- member, which
  // libarchive reads the same; its last is room 5's log and base64 lines, long enough for the
  // adaptive code of -lh1- to be rebuilt. levels.lzh holds room 5's log at every header level.
  DecodeStatus status;
  const std::string mixed = ExtractOurs(DataFile("methods.lzh"), 1, status);
  ASSERT_EQ(status, DecodeStatus::Ok);
  const std::string log = testing::ReadFileBytes(DataFile("room05a.LOG"));
  struct Case {
    const char* Archive;
    int Index;
    Method Kind;
    const std::string& Expected;
    bool Prefix;  // the expected bytes start the member
  };
  const Case cases[] = {
      {"oldmethods.lzh", 0, Method::Lh1, mixed, false},
      {"oldmethods.lzh", 1, Method::Lh2, mixed, false},
      {"oldmethods.lzh", 2, Method::Lh3, mixed, false},
      {"oldmethods.lzh", 3, Method::Lzs, mixed, false},
      {"oldmethods.lzh", 4, Method::Lz5, mixed, false},
      {"oldmethods.lzh", 5, Method::Lh1, log, true},
      {"levels.lzh", 0, Method::Lh1, log, false},
      {"levels.lzh", 1, Method::Lh1, log, false},
      {"levels.lzh", 2, Method::Lh1, log, false},
      {"levels.lzh", 3, Method::Lh1, log, false},
      {"levels.lzh", 4, Method::Lh4, log, false},
  };
  for (const Case& c : cases) {
    const std::string path = DataFile(c.Archive);
    FileSource source(path);
    Member m;
    ASSERT_EQ(FindMember(source, c.Index, m), HeaderResult::Member) << c.Archive << c.Index;
    EXPECT_EQ(m.Kind, c.Kind) << c.Archive << c.Index;
    const std::string bytes = ExtractOurs(path, c.Index, status);
    ASSERT_EQ(status, DecodeStatus::Ok) << c.Archive << c.Index;  // the CRC held
    EXPECT_EQ(c.Prefix ? bytes.substr(0, c.Expected.size()) : bytes, c.Expected)
        << c.Archive << c.Index;
  }
}

TEST(LhaArchiveTest, OlderMethodsCutShortAreTruncated) {
  // Every member of oldmethods.lzh with its data cut at points through it: the decoder runs out
  // of data, and says so, whatever the bytes it reads past the end.
  const std::string archive = testing::ReadFileBytes(DataFile("oldmethods.lzh"));
  MemorySource source(archive.data(), archive.size());
  std::vector<Member> members;
  ASSERT_TRUE(ListMembers(source, members));
  for (const Member& m : members) {
    const auto* packed = reinterpret_cast<const std::uint8_t*>(archive.data() + m.DataOffset);
    const auto packedSize = static_cast<std::size_t>(m.PackedSize);
    std::string out(m.Size, '\0');
    for (std::size_t cut = 0; cut < packedSize; cut += packedSize / 40 + 1) {
      std::vector<std::uint8_t> part(packed, packed + cut);
      part.resize(cut + kInputPadding, 0xFF);
      EXPECT_EQ(Decode(m.Kind, part.data(), cut, out.data(), out.size()), DecodeStatus::Truncated)
          << m.Name << " " << cut;
    }
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
