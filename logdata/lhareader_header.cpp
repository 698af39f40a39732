// Member headers of LHA archives, levels 0 to 3: which member, where its data lies, and
// whether this reader takes it. What it does not take goes to libarchive (see lhareader.h); what
// it finds damaged goes nowhere.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "logdata/lhareader.h"
#include "logdata/lhareader_internal.h"

namespace yuzulog::lha {
namespace {

using detail::Le16;
using detail::Le32;

// The bytes of one header, read from the source in as few reads as it takes. A pointer that Get
// returns is good until the next call.
class HeaderWindow {
 public:
  explicit HeaderWindow(const Source& source) : FSource(source) {}

  // size bytes at offset, or nullptr when the source does not hold them all.
  const unsigned char* Get(std::uint64_t offset, std::size_t size) {
    if (offset >= FOffset && offset - FOffset <= FBytes.size() &&
        size <= FBytes.size() - (offset - FOffset))
      return FBytes.data() + (offset - FOffset);
    const std::uint64_t total = FSource.Size();
    if (offset > total || size > total - offset) return nullptr;
    const std::size_t want =
        std::max(size, static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, total - offset)));
    FBytes.resize(want);
    if (!FSource.ReadAt(offset, FBytes.data(), want)) {
      FBytes.clear();
      return nullptr;
    }
    FOffset = offset;
    return FBytes.data();
  }

 private:
  static constexpr std::size_t kChunk = 4096;  // a header and the start of what follows
  const Source& FSource;
  std::vector<unsigned char> FBytes;
  std::uint64_t FOffset = 0;
};

// Level 1 keeps its extended headers outside the base header, level 3 states its header's size
// in 32 bits; more than this is not a header an archiver writes, and the fallback may have it.
constexpr std::uint64_t kMaxLevel1Extensions = 64 * 1024;
constexpr std::uint64_t kMaxLevel3Header = 64 * 1024;

// The methods this reader decodes, by the two characters between "-l" and "-". LArc's archiver
// wrote only level-0 headers, and libarchive takes its methods at no other level; an archiver
// that repacks a LArc member into a later header keeps its method, so -lzs- and -lz5- are
// decoded at every level. Its stored -lz4- is left to libarchive there: nothing writes it.
struct MethodName {
  char Name[2];
  Method Kind;
  bool LevelZeroOnly;
};

constexpr MethodName kMethodNames[] = {
    {{'h', '0'}, Method::Stored, false}, {{'h', '1'}, Method::Lh1, false},
    {{'h', '2'}, Method::Lh2, false},    {{'h', '3'}, Method::Lh3, false},
    {{'h', '4'}, Method::Lh4, false},    {{'h', '5'}, Method::Lh5, false},
    {{'h', '6'}, Method::Lh6, false},    {{'h', '7'}, Method::Lh7, false},
    {{'z', '4'}, Method::Stored, true},  {{'z', 's'}, Method::Lzs, false},
    {{'z', '5'}, Method::Lz5, false},
};

bool MethodOf(const unsigned char* p, int level, Method& method) {
  if (p[0] != '-' || p[1] != 'l' || p[4] != '-') return false;
  for (const MethodName& m : kMethodNames)
    if (p[2] == m.Name[0] && p[3] == m.Name[1] && (level == 0 || !m.LevelZeroOnly)) {
      method = m.Kind;
      return true;
    }
  return false;
}

// A Unix file mode that libarchive would turn into something other than a regular file (a
// symbolic link takes its target from the name); such members go to the fallback.
bool SpecialMode(std::uint16_t mode) {
  const unsigned type = mode & 0xF000u;
  return type != 0 && type != 0x8000u;
}

bool HasNul(const std::string& s) {
  return s.find('\0') != std::string::npos;
}

// What the extended headers of levels 1-3 say. Each record is taken at most once: a
// duplicate is not something this reader guesses about. Only the record types below are known
// to leave the name, size and data where this reader puts them.
struct Extensions {
  std::string FileName;
  std::string Directory;
  bool HaveFileName = false;
  bool HaveDirectory = false;
  bool HaveCrc = false;
  std::uint16_t HeaderCrc = 0;
  std::uint64_t CrcAt = 0;  // offset of the header CRC from the header's start

  // One record: type byte, data, and the next record's size in sizeBytes (2, or 4 at level 3).
  // false: not handled.
  bool Take(const unsigned char* record, std::size_t size, std::size_t sizeBytes,
            std::uint64_t at) {
    const unsigned char* data = record + 1;
    const std::size_t dataSize = size - 1 - sizeBytes;
    switch (record[0]) {
      case 0x00:  // common: the header's CRC-16, maybe followed by more
        if (HaveCrc || dataSize < 2) return false;
        HaveCrc = true;
        HeaderCrc = Le16(data);
        CrcAt = at + 1;
        return true;
      case 0x01:  // file name
        if (HaveFileName || dataSize == 0) return false;
        HaveFileName = true;
        FileName.assign(reinterpret_cast<const char*>(data), dataSize);
        return !HasNul(FileName);
      case 0x02:  // directory name, parts separated by 0xFF, ending in one
        if (HaveDirectory || dataSize == 0) return false;
        HaveDirectory = true;
        Directory.assign(reinterpret_cast<const char*>(data), dataSize);
        std::replace(Directory.begin(), Directory.end(), '\xFF', '/');
        return !HasNul(Directory) && Directory.back() == '/';
      case 0x50:  // Unix permission
        return dataSize < 2 || !SpecialMode(Le16(data));
      case 0x3F:  // comment
      case 0x40:  // MS-DOS attribute
      case 0x41:  // Windows time stamps
      case 0x51:  // Unix owner ids
      case 0x52:  // Unix group name
      case 0x53:  // Unix user name
      case 0x54:  // Unix time stamp
        return true;
      default:
        // Anything else may change what libarchive makes of the member (UTF-16 names, 64-bit
        // sizes, ...): the fallback takes it.
        return false;
    }
  }
};

// The CRC-16 of size header bytes at p with the two bytes at crcAt counted as zero.
std::uint16_t HeaderCrc(const unsigned char* p, std::size_t size, std::uint64_t crcAt) {
  const std::size_t at = static_cast<std::size_t>(crcAt);
  const unsigned char zero[2] = {0, 0};
  std::uint16_t crc = Crc16(p, at);
  crc = Crc16(zero, 2, crc);
  return Crc16(p + at + 2, size - at - 2, crc);
}

HeaderResult ReadLevel0Or1(HeaderWindow& window, std::uint64_t offset, int level, Member& member) {
  const std::size_t headerSize = static_cast<std::size_t>(window.Get(offset, 1)[0]) + 2;
  const unsigned char* p = window.Get(offset, headerSize);
  if (!p) return HeaderResult::CutShort;
  unsigned sum = 0;
  for (std::size_t i = 2; i < headerSize; ++i)
    sum += p[i];
  if ((sum & 0xFF) != p[1]) return HeaderResult::Damaged;
  const std::size_t nameLength = p[21];
  if (headerSize < (level == 0 ? 24u : 27u) + nameLength) return HeaderResult::Damaged;
  if (level == 1 && p[19] != 0x20) return HeaderResult::NotHandled;
  std::string name(reinterpret_cast<const char*>(p + 22), nameLength);
  if (HasNul(name)) return HeaderResult::NotHandled;
  member.Crc = Le16(p + 22 + nameLength);
  const std::uint32_t packedOrSkip = Le32(p + 7);

  if (level == 0) {
    // What follows the CRC is an optional extension; a Unix one ('U') holds the file mode.
    const std::size_t extAt = 24 + nameLength;
    if (headerSize - extAt >= 8 && p[extAt] == 'U' && SpecialMode(Le16(p + extAt + 6)))
      return HeaderResult::NotHandled;
    if (name.empty()) return HeaderResult::NotHandled;
    std::replace(name.begin(), name.end(), '\\', '/');
    member.Name = std::move(name);
    member.PackedSize = packedOrSkip;
    member.DataOffset = offset + headerSize;
    return HeaderResult::Member;
  }

  // Level 1: extended headers follow the base header, and the size field counts them too.
  Extensions ext;
  std::size_t nextSize = Le16(p + headerSize - 2);
  std::uint64_t extTotal = 0;
  while (nextSize != 0) {
    if (nextSize < 3 || extTotal + nextSize > kMaxLevel1Extensions ||
        extTotal + nextSize > packedOrSkip)
      return HeaderResult::Damaged;
    const unsigned char* record = window.Get(offset + headerSize + extTotal, nextSize);
    if (!record) return HeaderResult::CutShort;
    if (!ext.Take(record, nextSize, 2, headerSize + extTotal)) return HeaderResult::NotHandled;
    extTotal += nextSize;
    nextSize = Le16(record + nextSize - 2);
  }
  if (ext.HaveCrc) {
    const std::size_t total = headerSize + static_cast<std::size_t>(extTotal);
    const unsigned char* whole = window.Get(offset, total);
    if (!whole) return HeaderResult::CutShort;
    if (HeaderCrc(whole, total, ext.CrcAt) != ext.HeaderCrc) return HeaderResult::Damaged;
  }
  if (ext.HaveFileName) name = ext.FileName;
  if (name.empty()) return HeaderResult::NotHandled;
  member.Name = ext.Directory + name;
  member.PackedSize = packedOrSkip - extTotal;
  member.DataOffset = offset + headerSize + extTotal;
  return HeaderResult::Member;
}

// Levels 2 and 3 keep their records inside the header, from byte at on; each record ends with
// the next one's size in sizeBytes, and the size before the first is at at - sizeBytes.
// padding: whether bytes may follow the records inside the header's size.
HeaderResult ReadInnerRecords(const unsigned char* p, std::size_t headerSize, std::size_t at,
                              std::size_t sizeBytes, bool padding, std::uint64_t offset,
                              Member& member) {
  auto sizeAt = [sizeBytes](const unsigned char* q) -> std::size_t {
    return sizeBytes == 2 ? Le16(q) : Le32(q);
  };
  Extensions ext;
  std::size_t nextSize = sizeAt(p + at - sizeBytes);
  while (nextSize != 0) {
    if (nextSize < 1 + sizeBytes || nextSize > headerSize - at) return HeaderResult::Damaged;
    if (!ext.Take(p + at, nextSize, sizeBytes, at)) return HeaderResult::NotHandled;
    at += nextSize;
    nextSize = sizeAt(p + at - sizeBytes);
  }
  if (!padding && at != headerSize) return HeaderResult::NotHandled;
  // The header CRC is required: libarchive checks one even when none is stored.
  if (!ext.HaveCrc) return HeaderResult::NotHandled;
  if (HeaderCrc(p, headerSize, ext.CrcAt) != ext.HeaderCrc) return HeaderResult::Damaged;
  if (!ext.HaveFileName) return HeaderResult::NotHandled;
  member.Name = ext.Directory + ext.FileName;
  member.Crc = Le16(p + 21);
  member.PackedSize = Le32(p + 7);
  member.DataOffset = offset + headerSize;
  return HeaderResult::Member;
}

HeaderResult ReadLevel2(HeaderWindow& window, std::uint64_t offset, Member& member) {
  const std::size_t headerSize = Le16(window.Get(offset, 2));
  if (headerSize < 26) return HeaderResult::Damaged;
  const unsigned char* p = window.Get(offset, headerSize);
  if (!p) return HeaderResult::CutShort;
  if (p[19] != 0x20) return HeaderResult::NotHandled;
  return ReadInnerRecords(p, headerSize, 26, 2, true, offset, member);
}

// Level 3: level 2 with every size in 32 bits; the first two bytes hold the width, 4. libarchive
// starts the data where the records end, whatever the header's size says: only headers where the
// two agree are taken.
HeaderResult ReadLevel3(HeaderWindow& window, std::uint64_t offset, Member& member) {
  const unsigned char* p = window.Get(offset, 32);
  if (!p) return HeaderResult::CutShort;
  if (Le16(p) != 4 || p[19] != 0x20) return HeaderResult::NotHandled;
  const std::uint32_t headerSize = Le32(p + 24);
  // libarchive would first reserve whatever size a damaged header claims.
  if (headerSize < 32 || headerSize > kMaxLevel3Header) return HeaderResult::Damaged;
  p = window.Get(offset, headerSize);
  if (!p) return HeaderResult::CutShort;
  return ReadInnerRecords(p, headerSize, 32, 4, false, offset, member);
}

}  // namespace

HeaderResult ReadHeader(const Source& source, std::uint64_t offset, Member& member) {
  if (offset == source.Size()) return HeaderResult::End;
  HeaderWindow window(source);
  const unsigned char* p = window.Get(offset, 1);
  if (!p) return HeaderResult::NotHandled;
  if (p[0] == 0) return HeaderResult::End;
  p = window.Get(offset, 22);  // the fields every level has in the same place
  // The first header decides whether this is an archive at all (it may be a self-extracting
  // one, which libarchive searches); a later one cut short is a damaged archive.
  if (!p) return offset == 0 ? HeaderResult::NotHandled : HeaderResult::CutShort;
  const int level = p[20];
  Method method;
  if (!MethodOf(p + 2, level, method)) return HeaderResult::NotHandled;
  member.Kind = method;
  member.Level = level;
  member.Size = Le32(p + 11);
  switch (level) {
    case 0:
    case 1:
      return ReadLevel0Or1(window, offset, level, member);
    case 2:
      return ReadLevel2(window, offset, member);
    case 3:
      return ReadLevel3(window, offset, member);
    default:
      return HeaderResult::NotHandled;
  }
}

HeaderResult WalkMembers(const Source& source, std::vector<Member>& members) {
  members.clear();
  std::uint64_t offset = 0;
  for (;;) {
    Member member;
    const HeaderResult r = ReadHeader(source, offset, member);
    if (r != HeaderResult::Member && r != HeaderResult::End) return r;
    if (r == HeaderResult::End) return members.empty() ? HeaderResult::NotHandled : r;
    const std::uint64_t next = member.DataOffset + member.PackedSize;
    // Data that runs past the end: libarchive lists the member, then fails on the next header;
    // let it decide where its walk stops.
    if (next > source.Size()) return HeaderResult::NotHandled;
    members.push_back(std::move(member));
    offset = next;
  }
}

bool ListMembers(const Source& source, std::vector<Member>& members) {
  return WalkMembers(source, members) == HeaderResult::End;
}

HeaderResult FindMember(const Source& source, int index, Member& member) {
  if (index < 0) return HeaderResult::NotHandled;
  std::uint64_t offset = 0;
  for (int i = 0;; ++i) {
    const HeaderResult r = ReadHeader(source, offset, member);
    if (r != HeaderResult::Member || i == index) return r;
    offset = member.DataOffset + member.PackedSize;
    if (offset > source.Size()) return HeaderResult::NotHandled;
  }
}

}  // namespace yuzulog::lha
