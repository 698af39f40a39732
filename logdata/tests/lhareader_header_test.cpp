// Member headers: which ones our reader takes, with the name, size and data libarchive finds
// there, and which it leaves to libarchive.
#include <gtest/gtest.h>

#include <string>

#include "logdata/logdata.h"
#include "logdata/unlha32.h"
#include "tests/support/lhaarchive.h"
#include "tests/support/lhacompare.h"
#include "tests/support/lhaencoder.h"
#include "tests/support/logbuilder.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog::lha {
namespace {

using testing::DataFile;

using testing::CompareWithLibarchive;
using testing::LhaArchive;
using testing::LhaComparison;
using testing::LhaLayout;
using testing::LhaListing;
using testing::LhaMember;
using testing::MakeLhaLayout;
using testing::Sjis;
using testing::TempDir;
using testing::WalkLha;

LhaLayout Padded(LhaLayout layout, int padding) {
  layout.Padding = padding;
  return layout;
}

TEST(LhaArchiveTest, NamesKeepTheirBytesAndDirectories) {
  const LhaListing l1 = WalkLha(DataFile("dirs-l1.lzh"), TUnlha32::Reader::Auto);
  ASSERT_EQ(l1.Members.size(), 2u);
  EXPECT_EQ(l1.Members[1].Name, "LOGS/" + Sjis("ゆず") + "/README.TXT");
  const LhaListing l0 = WalkLha(DataFile("dirs-l0.lzh"), TUnlha32::Reader::Auto);
  ASSERT_EQ(l0.Members.size(), 2u);
  EXPECT_EQ(l0.Members[0].Name, "LOGS/ROOM05.LOG");  // stored as LOGS\ROOM05.LOG
  const LhaListing l2 = WalkLha(DataFile("room12.lzh"), TUnlha32::Reader::Auto);
  ASSERT_EQ(l2.Members.size(), 3u);
  EXPECT_EQ(l2.Members[2].Name, Sjis("はじめに.TXT"));
}

TEST(LhaArchiveTest, CraftedHeadersReadAsLibarchiveReadsThemOrGoToIt) {
  const std::string data = "hello\r\n";
  struct Case {
    const char* What;
    LhaLayout Header;
    bool Ours;         // our reader takes the walk
    std::string Name;  // and lists this name
  };
  const std::string nul("A\0B.TXT", 7);
  const Case cases[] = {
      {"level 0", MakeLhaLayout(0, "-lh0-", "DIR\\A.TXT"), true, "DIR/A.TXT"},
      {"level 1", MakeLhaLayout(1, "-lh0-", "DIR\\A.TXT"), true, "DIR\\A.TXT"},
      {"level 1 name record", MakeLhaLayout(1, "-lh0-", "A", {{1, "LONG.TXT"}, {2, "D\xFF"}}), true,
       "D/LONG.TXT"},
      {"level 2 directory", MakeLhaLayout(2, "-lh0-", "A.TXT", {{2, "LOGS\xFFOLD\xFF"}}), true,
       "LOGS/OLD/A.TXT"},
      {"level 2 time stamps", MakeLhaLayout(2, "-lh0-", "A.TXT", {{0x54, "abcd"}, {0x41, "x"}}),
       true, "A.TXT"},
      {"level 0 attribute", MakeLhaLayout(0, "-lh0-", "A.TXT", {}, true, 0, 0x10), true, "A.TXT"},
      {"level 1 no header CRC", MakeLhaLayout(1, "-lh0-", "A.TXT", {}, false), true, "A.TXT"},
      {"level 3", MakeLhaLayout(3, "-lh0-", "A.TXT", {{2, "LOGS\xFF"}, {0x54, "abcd"}}), true,
       "LOGS/A.TXT"},
      {"level 2 padding", Padded(MakeLhaLayout(2, "-lh0-", "A.TXT"), 1), true, "A.TXT"},
      {"-lz4- (stored) at level 0", MakeLhaLayout(0, "-lz4-", "A.TXT"), true, "A.TXT"},
      // Not ours: each goes to libarchive, which lists or rejects it.
      {"level 2 directory without its last separator",
       MakeLhaLayout(2, "-lh0-", "A.TXT", {{2, "LOGS"}}), false, ""},
      {"level 2 without header CRC", MakeLhaLayout(2, "-lh0-", "A.TXT", {}, false), false, ""},
      {"level 1 attribute other than 0x20", MakeLhaLayout(1, "-lh0-", "A.TXT", {}, true, 0, 0x10),
       false, ""},
      {"level 2 attribute other than 0x20", MakeLhaLayout(2, "-lh0-", "A.TXT", {}, true, 0, 0),
       false, ""},
      {"NUL in a name", MakeLhaLayout(0, "-lh0-", nul), false, ""},
      {"UTF-16 name record", MakeLhaLayout(2, "-lh0-", "A.TXT", {{0x44, std::string("B\0", 2)}}),
       false, ""},
      {"symbolic link", MakeLhaLayout(2, "-lh0-", "A|B", {{0x50, std::string("\xFF\xA1", 2)}}),
       false, ""},
      {"64-bit sizes", MakeLhaLayout(2, "-lh0-", "A.TXT", {{0x42, std::string(16, '\0')}}), false,
       ""},
      {"level 3 padding", Padded(MakeLhaLayout(3, "-lh0-", "A.TXT"), 1), false, ""},
      {"level 3 without header CRC", MakeLhaLayout(3, "-lh0-", "A.TXT", {}, false), false, ""},
      {"-lz4- at level 1", MakeLhaLayout(1, "-lz4-", "A.TXT"), false, ""},
      {"directory entry", MakeLhaLayout(2, "-lhd-", "A.TXT"), false, ""},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.Write("a.lzh", LhaArchive(c.Header, data));
    const LhaComparison cmp = CompareWithLibarchive(path);
    EXPECT_EQ(cmp.Differences, "") << c.What;
    EXPECT_EQ(cmp.Ours, c.Ours) << c.What;
    if (!c.Ours) continue;
    const LhaListing l = WalkLha(path, TUnlha32::Reader::Auto);
    ASSERT_EQ(l.Members.size(), 1u) << c.What;
    EXPECT_EQ(l.Members[0].Name, c.Name) << c.What;
  }
  // Level 4 and level 3 with its width field other than 4.
  const LhaLayout level2;
  std::string bytes = LhaArchive(level2, data);
  bytes[20] = 4;
  LhaComparison c = CompareWithLibarchive(dir.Write("4.lzh", bytes));
  EXPECT_EQ(c.Differences, "");
  EXPECT_FALSE(c.Ours);
  bytes = LhaArchive(MakeLhaLayout(3, "-lh0-", "A.TXT"), data);
  bytes[0] = 2;
  c = CompareWithLibarchive(dir.Write("3.lzh", bytes));
  EXPECT_EQ(c.Differences, "");
  EXPECT_FALSE(c.Ours);
  bytes = LhaArchive(level2, data);
  // Trailing bytes after the end mark are not read.
  c = CompareWithLibarchive(dir.Write("tail.lzh", bytes + "junk"));
  EXPECT_EQ(c.Differences, "");
  EXPECT_TRUE(c.Ours);
}

TEST(LhaArchiveTest, DamagedHeadersFailWithTheirReasonWithoutLibarchive) {
  // libarchive would first reserve whatever size a damaged header claims (a level-3 header may
  // claim 4 GB); the reason must be the damage, never "no archive".
  const std::string text = testing::RoomLogText(5, 1, 3);
  auto archive = [&](int level, int crcDelta) {
    return LhaArchive(MakeLhaLayout(level, "-lh0-", "B.LOG", {}, true, crcDelta), text);
  };
  std::string level0 = archive(0, 0), level3 = archive(3, 0), good = archive(2, 0);
  ++level0[1];          // the level-0 checksum
  level3[27] = '\x7F';  // a header of 2 GB
  good.pop_back();      // no end mark: a damaged header follows
  using enum TUnlha32::Status;
  const std::pair<std::string, TUnlha32::Status> cases[] = {
      {level0, BadHeader},        {archive(1, 1), BadHeader}, {archive(2, 1), BadHeader},
      {archive(3, 1), BadHeader}, {level3, BadHeader},        {good.substr(0, 30), Truncated}};
  TempDir dir;
  for (const auto& [damaged, status] : cases) {
    TLogData log;
    EXPECT_EQ(log.LoadFromFile(dir.Write("alone.lzh", damaged)).Outcome,
              status == Truncated ? LoadOutcome::ArchiveTruncated : LoadOutcome::BadArchiveHeader);
    // After a good member the walk lists it, then ends with the damage.
    const std::string after = dir.Write("after.lzh", good + damaged);
    TUnlha32 unlha;
    TUnlha32::Member m;
    ASSERT_TRUE(unlha.OpenArchive(after) && unlha.FindFirst(m));
    EXPECT_FALSE(unlha.FindNext(m));
    EXPECT_EQ(unlha.WalkStatus(), status);
    std::string out(text.size(), '\0');
    EXPECT_EQ(TUnlha32::ExtractMem(after, 1, text.size(), out.data(), out.size()), status);
  }
}

TEST(LhaArchiveTest, LarcMethodsDecodeAtEveryHeaderLevel) {
  // Archivers that repack a LArc member into a later header keep its method. Every item is a
  // literal: -lz5- puts a flag byte of ones before each eight, -lzs- a one bit before each.
  const std::string text = testing::RoomLogText(5, 1, 3);
  std::string lz5;
  testing::BitWriter lzs;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i % 8 == 0) lz5 += '\xFF';
    lz5 += text[i];
    lzs.Put(1, 1);
    lzs.Put(static_cast<unsigned char>(text[i]), 8);
  }
  const std::vector<std::uint8_t> bits = lzs.Bytes();
  const std::pair<const char*, std::string> methods[] = {{"-lz5-", lz5},
                                                         {"-lzs-", {bits.begin(), bits.end()}}};
  TempDir dir;
  for (int level = 0; level <= 3; ++level)
    for (const auto& [method, packed] : methods) {
      const std::string path =
          dir.Write("r.lzh", LhaMember(MakeLhaLayout(level, method, "R.LOG"), packed,
                                       static_cast<std::uint32_t>(text.size()),
                                       Crc16(text.data(), text.size())) +
                                 '\0');
      TLogData log;
      ASSERT_TRUE(log.LoadFromFile(path)) << method << level;
      EXPECT_EQ(log.Count(), 3) << method << level;
    }
}

}  // namespace
}  // namespace yuzulog::lha
