#include "logdata/lhareader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define YUZULOG_LHA_CLMUL 1
#endif

namespace yuzulog::lha {
namespace {

std::uint16_t Le16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t LoadLe64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

std::uint64_t LoadBe64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  return v;
}

// ---- CRC-16 -------------------------------------------------------------------------------------

// Slicing by sixteen: Table[k][b] is the CRC of byte b followed by k zero bytes.
struct CrcTables {
  std::uint16_t Table[16][256];
};

constexpr CrcTables MakeCrcTables() {
  CrcTables t{};
  for (unsigned b = 0; b < 256; ++b) {
    unsigned crc = b;
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    t.Table[0][b] = static_cast<std::uint16_t>(crc);
  }
  for (int k = 1; k < 16; ++k)
    for (unsigned b = 0; b < 256; ++b) {
      const unsigned prev = t.Table[k - 1][b];
      t.Table[k][b] = static_cast<std::uint16_t>((prev >> 8) ^ t.Table[0][prev & 0xFF]);
    }
  return t;
}

constexpr CrcTables kCrc = MakeCrcTables();

std::uint16_t Crc16Tables(const unsigned char* p, std::size_t size, std::uint16_t crc) {
  const auto& t = kCrc.Table;
  // Sixteen independent lookups per step: the CRC's own dependency is one step, not one byte.
  while (size >= 16) {
    const std::uint64_t a = LoadLe64(p) ^ crc;
    const std::uint64_t b = LoadLe64(p + 8);
    crc = static_cast<std::uint16_t>(
        t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^
        t[12][(a >> 24) & 0xFF] ^ t[11][(a >> 32) & 0xFF] ^ t[10][(a >> 40) & 0xFF] ^
        t[9][(a >> 48) & 0xFF] ^ t[8][a >> 56] ^ t[7][b & 0xFF] ^ t[6][(b >> 8) & 0xFF] ^
        t[5][(b >> 16) & 0xFF] ^ t[4][(b >> 24) & 0xFF] ^ t[3][(b >> 32) & 0xFF] ^
        t[2][(b >> 40) & 0xFF] ^ t[1][(b >> 48) & 0xFF] ^ t[0][b >> 56]);
    p += 16;
    size -= 16;
  }
  while (size-- > 0)
    crc = static_cast<std::uint16_t>((crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF]);
  return crc;
}

#if defined(YUZULOG_LHA_CLMUL)
// The same CRC by carry-less multiplication, 16 bytes a step, where the processor has it.
//
// A 16-byte register x holds a polynomial of degree < 128 in the CRC's bit order: bit k (of the
// bytes as loaded, little-endian) is the coefficient of x^(127-k), so the first bit of the data
// is the highest power. Appending the next 16 bytes D makes it x * x^128 + D; modulo P(x) =
// x^16 + x^15 + x^2 + 1 that is hi * (x^192 mod P) + lo * (x^128 mod P) + D, where hi and lo are
// the register's two halves, each a polynomial of degree < 64. Products stay below degree 80, so
// the register never overflows. A carry-less product of two halves in this bit order comes out
// one power too high, so the constants are x^191 and x^127 mod P. At the end the register holds
// data whose CRC is the CRC of everything so far, and the tables finish the job.
constexpr std::size_t kClmulMinimum = 64;

// x^n mod P, bit-reversed into the top 16 bits of a 64-bit word (bit 63 - j: the power x^j).
constexpr std::uint64_t ReversedPowerModP(unsigned n) {
  std::uint32_t r = 1;
  for (unsigned i = 0; i < n; ++i) {
    r <<= 1;
    if (r & 0x10000u) r ^= 0x18005u;
  }
  std::uint64_t k = 0;
  for (unsigned j = 0; j < 16; ++j)
    if ((r >> j) & 1u) k |= std::uint64_t{1} << (63 - j);
  return k;
}

bool UseClmul() {
  static const bool clmul = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") != 0;
  }();
  return clmul;
}

__attribute__((target("pclmul,sse2"))) std::uint16_t Crc16Clmul(const unsigned char* p,
                                                                std::size_t size,
                                                                std::uint16_t crc) {
  const __m128i k = _mm_set_epi64x(static_cast<long long>(ReversedPowerModP(127)),
                                   static_cast<long long>(ReversedPowerModP(191)));
  // The CRC so far goes into the first 16 bits, as the table loop does it.
  __m128i x =
      _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_cvtsi32_si128(crc));
  p += 16;
  size -= 16;
  while (size >= 16) {
    const __m128i hi = _mm_clmulepi64_si128(x, k, 0x00);  // first 8 bytes: the higher powers
    const __m128i lo = _mm_clmulepi64_si128(x, k, 0x11);
    x = _mm_xor_si128(_mm_xor_si128(hi, lo), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    p += 16;
    size -= 16;
  }
  unsigned char folded[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(folded), x);
  return Crc16Tables(p, size, Crc16Tables(folded, 16, 0));
}
#endif

// ---- headers ------------------------------------------------------------------------------------

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

// Level 1 keeps its extended headers outside the base header; more than this is not a header an
// archiver writes, and the fallback may have it.
constexpr std::uint64_t kMaxLevel1Extensions = 64 * 1024;

bool MethodOf(const unsigned char* p, Method& method) {
  if (p[0] != '-' || p[1] != 'l' || p[2] != 'h' || p[4] != '-') return false;
  switch (p[3]) {
    case '0':
      method = Method::Stored;
      return true;
    case '4':
      method = Method::Lh4;
      return true;
    case '5':
      method = Method::Lh5;
      return true;
    case '6':
      method = Method::Lh6;
      return true;
    case '7':
      method = Method::Lh7;
      return true;
    default:
      return false;
  }
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

// What the extended headers of levels 1 and 2 say. Each record is taken at most once: a
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

  // One record: type byte, data, and the next record's size. false: not handled.
  bool Take(const unsigned char* record, std::size_t size, std::uint64_t at) {
    const unsigned char* data = record + 1;
    const std::size_t dataSize = size - 3;
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
  if (!p) return HeaderResult::NotHandled;
  unsigned sum = 0;
  for (std::size_t i = 2; i < headerSize; ++i)
    sum += p[i];
  if ((sum & 0xFF) != p[1]) return HeaderResult::NotHandled;
  const std::size_t nameLength = p[21];
  if (headerSize < (level == 0 ? 24u : 27u) + nameLength) return HeaderResult::NotHandled;
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
      return HeaderResult::NotHandled;
    const unsigned char* record = window.Get(offset + headerSize + extTotal, nextSize);
    if (!record || !ext.Take(record, nextSize, headerSize + extTotal))
      return HeaderResult::NotHandled;
    extTotal += nextSize;
    nextSize = Le16(record + nextSize - 2);
  }
  if (ext.HaveCrc) {
    const std::size_t total = headerSize + static_cast<std::size_t>(extTotal);
    const unsigned char* whole = window.Get(offset, total);
    if (!whole || HeaderCrc(whole, total, ext.CrcAt) != ext.HeaderCrc)
      return HeaderResult::NotHandled;
  }
  if (ext.HaveFileName) name = ext.FileName;
  if (name.empty()) return HeaderResult::NotHandled;
  member.Name = ext.Directory + name;
  member.PackedSize = packedOrSkip - extTotal;
  member.DataOffset = offset + headerSize + extTotal;
  return HeaderResult::Member;
}

HeaderResult ReadLevel2(HeaderWindow& window, std::uint64_t offset, Member& member) {
  const std::size_t headerSize = Le16(window.Get(offset, 2));
  if (headerSize < 26) return HeaderResult::NotHandled;
  const unsigned char* p = window.Get(offset, headerSize);
  if (!p || p[19] != 0x20) return HeaderResult::NotHandled;
  Extensions ext;
  std::size_t at = 26;
  std::size_t nextSize = Le16(p + 24);
  while (nextSize != 0) {
    if (nextSize < 3 || nextSize > headerSize - at) return HeaderResult::NotHandled;
    if (!ext.Take(p + at, nextSize, at)) return HeaderResult::NotHandled;
    at += nextSize;
    nextSize = Le16(p + at - 2);
  }
  // The header CRC is required at this level: libarchive checks one even when none is stored.
  if (!ext.HaveCrc || HeaderCrc(p, headerSize, ext.CrcAt) != ext.HeaderCrc)
    return HeaderResult::NotHandled;
  if (!ext.HaveFileName) return HeaderResult::NotHandled;
  member.Name = ext.Directory + ext.FileName;
  member.Crc = Le16(p + 21);
  member.PackedSize = Le32(p + 7);
  member.DataOffset = offset + headerSize;
  return HeaderResult::Member;
}

// ---- Huffman tables -----------------------------------------------------------------------------

constexpr int kMaxCodeLength = 16;
constexpr int kNC = 510;  // literal/length symbols: 256 byte values, then match lengths 3-256
constexpr int kNT = 19;   // symbols of the code that sends the literal/length code lengths
constexpr int kTBits = 5;
constexpr int kCBits = 9;
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 256;

// A table entry of the literal/length code and of the code-length code: symbol << 5 | length.
struct SymbolEntry {
  using Type = std::uint16_t;
  static constexpr Type kLong = 31;  // in the length field: the code is longer than the table
  static Type Make(unsigned symbol, unsigned length) {
    return static_cast<Type>(symbol << 5 | length);
  }
  static unsigned Length(Type e) { return e & 31u; }
  static unsigned Symbol(Type e) { return e >> 5; }
};

// A table entry of the distance code holds the whole distance's recipe: the bits to take (code
// and extra bits), the extra bits' count and the distance they add to. Symbol j stands for
// distance 1 (j = 0), 2 (j = 1), or 2^(j-1) + 1 plus j - 1 extra bits.
struct DistanceEntry {
  using Type = std::uint32_t;
  static constexpr Type kLong = 63;  // in the bit-count field
  static Type Make(unsigned j, unsigned length) {
    const unsigned extra = j > 1 ? j - 1 : 0;
    const unsigned base = j > 1 ? (1u << (j - 1)) + 1 : j + 1;
    return static_cast<Type>((length + extra) | extra << 6 | base << 10);
  }
  static unsigned Bits(Type e) { return e & 63u; }
  static unsigned Extra(Type e) { return (e >> 6) & 15u; }
  static unsigned Base(Type e) { return e >> 10; }
};

// A canonical Huffman code: a direct table over the next RootBits bits holds every code of up to
// that length; the rare longer ones are found by a search by length.
template <int RootBits, int MaxSymbols, class EntryKind = SymbolEntry>
class HuffmanTable {
 public:
  // Builds the code from one length per symbol (0: unused). False when the lengths do not make
  // a complete prefix code: over-subscribed, incomplete, or a length above 16.
  bool Build(const std::uint8_t* lengths, int count) {
    std::uint16_t perLength[kMaxCodeLength + 1] = {};
    for (int s = 0; s < count; ++s) {
      if (lengths[s] > kMaxCodeLength) return false;
      ++perLength[lengths[s]];
    }
    int left = 1;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      left = (left << 1) - perLength[len];
      if (left < 0) return false;  // over-subscribed
    }
    if (left != 0) return false;  // incomplete
    unsigned code = 0;
    unsigned index = 0;
    std::uint16_t nextCode[kMaxCodeLength + 1] = {};
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      FFirst[len] = static_cast<std::uint16_t>(code);
      FCount[len] = perLength[len];
      FIndex[len] = static_cast<std::uint16_t>(index);
      nextCode[len] = static_cast<std::uint16_t>(code);
      index += perLength[len];
      code = (code + perLength[len]) << 1;
    }
    std::uint16_t placed[kMaxCodeLength + 1] = {};
    for (int s = 0; s < count; ++s) {
      const int len = lengths[s];
      if (len == 0) continue;
      FSorted[FIndex[len] + placed[len]++] = static_cast<std::uint16_t>(s);
      const unsigned c = nextCode[len]++;
      if (len <= RootBits) {
        const unsigned shift = RootBits - len;
        std::fill_n(FRoot.begin() + (c << shift), std::size_t{1} << shift,
                    EntryKind::Make(static_cast<unsigned>(s), static_cast<unsigned>(len)));
      } else {
        FRoot[c >> (len - RootBits)] = EntryKind::kLong;
      }
    }
    return true;
  }

  // The code of one symbol and zero bits: every lookup gives it and reads nothing.
  void SetSingle(int symbol) { FRoot.fill(EntryKind::Make(static_cast<unsigned>(symbol), 0)); }

  // The entry for the next bits (left-aligned in a 64-bit word).
  typename EntryKind::Type Entry(std::uint64_t bits) const {
    return FRoot[bits >> (64 - RootBits)];
  }

  // A code longer than RootBits, from the next 16 bits: its symbol, and its length in length.
  // The code is complete, so a symbol is always found.
  unsigned DecodeLong(unsigned next16, unsigned& length) const {
    for (unsigned len = RootBits + 1; len <= kMaxCodeLength; ++len) {
      const unsigned code = next16 >> (kMaxCodeLength - len);
      const unsigned offset = code - FFirst[len];
      if (offset < FCount[len]) {
        length = len;
        return FSorted[FIndex[len] + offset];
      }
    }
    length = 0;  // not reached for a code that Build accepted
    return 0;
  }

 private:
  std::array<typename EntryKind::Type, std::size_t{1} << RootBits> FRoot;
  std::uint16_t FFirst[kMaxCodeLength + 1];
  std::uint16_t FCount[kMaxCodeLength + 1];
  std::uint16_t FIndex[kMaxCodeLength + 1];
  std::uint16_t FSorted[MaxSymbols];
};

using TTable = HuffmanTable<8, kNT>;                 // the code of the literal/length code lengths
using CTable = HuffmanTable<12, kNC>;                // literals and match lengths
using PTable = HuffmanTable<10, 17, DistanceEntry>;  // match distances, by their bit count

// ---- bits ---------------------------------------------------------------------------------------

// Bits taken so far from data that starts at start, when the next word loads from next and
// count bits are loaded but not taken.
std::uint64_t TakenBits(const std::uint8_t* start, const std::uint8_t* next, unsigned count) {
  return static_cast<std::uint64_t>(next - start) * 8 - count;
}

// Reads bits most significant first. Bits holds Count valid bits left-aligned; a refill loads a
// whole word and leaves 56 to 63 bits. Limit lies 8 bytes past the data: once Next passes it,
// more bits have been taken than the data holds, whatever the refills left unused.
struct BitReader {
  const std::uint8_t* Start;
  std::size_t Size;  // bytes of data from Start
  const std::uint8_t* Next;
  const std::uint8_t* Limit;
  std::uint64_t Bits = 0;
  unsigned Count = 0;
  bool Overrun = false;

  // Whether more bits were taken than the data holds: whatever failed, the data was cut short.
  bool PastEnd() const {
    return Overrun || TakenBits(Start, Next, Count) > static_cast<std::uint64_t>(Size) * 8;
  }

  void Refill() {
    Bits |= LoadBe64(Next) >> Count;
    Next += (63 - Count) >> 3;
    Count |= 56;
    if (Next > Limit) {  // keep reading inside the padding; the caller fails on Overrun
      Overrun = true;
      Next = Limit;
    }
  }
  // n bits, 0 <= n <= 16.
  unsigned Get(unsigned n) {
    if (Count < n) Refill();
    const unsigned v = static_cast<unsigned>((Bits >> (63 - n)) >> 1);
    Bits <<= n;
    Count -= n;
    return v;
  }
  template <class Table>
  unsigned Decode(const Table& table) {
    if (Count < kMaxCodeLength) Refill();
    const std::uint16_t e = table.Entry(Bits);
    unsigned len = e & 31u;
    const unsigned sym = len != SymbolEntry::kLong
                             ? e >> 5u
                             : table.DecodeLong(static_cast<unsigned>(Bits >> 48), len);
    Bits <<= len;
    Count -= len;
    return sym;
  }
};

struct MethodParams {
  unsigned DictBits;
  int NP;  // distance symbols
  int PBits;
};

struct Tables {
  TTable T;
  CTable C;
  PTable P;
};

DecodeStatus TableFailure(const BitReader& br) {
  return br.PastEnd() ? DecodeStatus::Truncated : DecodeStatus::BadTable;
}

// The lengths of a small code: the one for the literal/length code lengths (special: after the
// third length, a 2-bit count of zero lengths) or the one for distances (no special).
template <class Table>
DecodeStatus ReadSmallCode(BitReader& br, int symbols, int countBits, int special, Table& table,
                           bool& single) {
  const unsigned n = br.Get(countBits);
  single = n == 0;
  if (n == 0) {
    const unsigned only = br.Get(countBits);
    if (only >= static_cast<unsigned>(symbols)) return TableFailure(br);
    table.SetSingle(static_cast<int>(only));
    return DecodeStatus::Ok;
  }
  if (n > static_cast<unsigned>(symbols)) return TableFailure(br);
  std::uint8_t lengths[kNT] = {};
  unsigned i = 0;
  while (i < n) {
    unsigned len = br.Get(3);
    if (len == 7) {  // 7, then one more for each 1 bit up to a 0 bit
      while (br.Get(1) == 1)
        if (++len > kMaxCodeLength) return TableFailure(br);
    }
    lengths[i++] = static_cast<std::uint8_t>(len);
    if (static_cast<int>(i) == special)
      for (unsigned zeros = br.Get(2); zeros > 0 && i < n; --zeros)
        lengths[i++] = 0;
  }
  if (br.PastEnd()) return DecodeStatus::Truncated;
  return table.Build(lengths, symbols) ? DecodeStatus::Ok : DecodeStatus::BadTable;
}

DecodeStatus ReadLiteralCode(BitReader& br, const TTable& t, CTable& table, bool& single) {
  const unsigned n = br.Get(kCBits);
  single = n == 0;
  if (n == 0) {
    const unsigned only = br.Get(kCBits);
    if (only >= static_cast<unsigned>(kNC)) return TableFailure(br);
    table.SetSingle(static_cast<int>(only));
    return DecodeStatus::Ok;
  }
  if (n > static_cast<unsigned>(kNC)) return TableFailure(br);
  std::uint8_t lengths[kNC] = {};
  unsigned i = 0;
  while (i < n) {
    const unsigned c = br.Decode(t);
    if (c > 2) {
      lengths[i++] = static_cast<std::uint8_t>(c - 2);
      continue;
    }
    const unsigned zeros = c == 0 ? 1 : c == 1 ? br.Get(4) + 3 : br.Get(kCBits) + 20;
    if (zeros > kNC - i) return TableFailure(br);
    i += zeros;  // the lengths are zero already
  }
  if (br.PastEnd()) return DecodeStatus::Truncated;
  return table.Build(lengths, kNC) ? DecodeStatus::Ok : DecodeStatus::BadTable;
}

// A block's header: its symbol count and its three codes.
DecodeStatus ReadBlockHeader(BitReader& br, const MethodParams& params, Tables& tables,
                             std::uint32_t& symbols, DecodeNotes* notes) {
  symbols = br.Get(16);
  if (br.PastEnd()) return DecodeStatus::Truncated;
  if (symbols == 0) return DecodeStatus::BadBlock;
  bool singleT = false, singleC = false, singleP = false;
  DecodeStatus status = ReadSmallCode(br, kNT, kTBits, 3, tables.T, singleT);
  if (status == DecodeStatus::Ok) status = ReadLiteralCode(br, tables.T, tables.C, singleC);
  if (status == DecodeStatus::Ok)
    status = ReadSmallCode(br, params.NP, params.PBits, -1, tables.P, singleP);
  if (notes && singleT && singleC) notes->SingleSymbolBlock = true;
  // A table can be complete on bits that were never there.
  if (status == DecodeStatus::Ok && br.PastEnd()) return DecodeStatus::Truncated;
  return status;
}

// Copies a match of length bytes from distance back. Overlapping copies (distance < length)
// repeat the pattern, as LZSS means them. When the output has room, whole 16- or 8-byte chunks
// are copied and may write up to 15 bytes past the match, inside the output, which later symbols
// overwrite.
inline void CopyMatch(std::uint8_t* out, std::size_t distance, std::size_t length,
                      std::size_t room) {
  const std::uint8_t* src = out - distance;
  if (room >= length + 16) {
    if (distance >= 16) {
      std::uint8_t* const stop = out + length;
      do {
        std::memcpy(out, src, 16);
        out += 16;
        src += 16;
      } while (out < stop);
      return;
    }
    if (distance >= 8) {
      std::uint8_t* const stop = out + length;
      do {
        std::memcpy(out, src, 8);
        out += 8;
        src += 8;
      } while (out < stop);
      return;
    }
    if (distance == 1) {
      std::memset(out, *src, length);
      return;
    }
  }
  for (std::size_t i = 0; i < length; ++i)
    out[i] = src[i];
}

DecodeStatus DecodeHuffman(const MethodParams& params, const std::uint8_t* in, std::size_t inSize,
                           std::uint8_t* out, std::size_t size, std::uint16_t* crc,
                           DecodeNotes* notes) {
  auto tables = std::make_unique<Tables>();
  const CTable& c = tables->C;
  const PTable& p = tables->P;
  std::uint8_t* const begin = out;
  std::uint8_t* const end = out + size;
  const std::size_t maxDistance = std::size_t{1} << params.DictBits;
  const std::uint8_t* const limit = in + inSize + 8;

  // The bit reader's state lives in locals here so that it stays in registers.
  const std::uint8_t* next = in;
  std::uint64_t bits = 0;
  unsigned count = 0;
  std::uint32_t blockLeft = 0;
  const std::uint8_t* crcFrom = out;
  if (crc) *crc = 0;
  // A failure once more bits were taken than there are is the data's end, not its content.
  auto failure = [&](DecodeStatus status) {
    return TakenBits(in, next, count) > static_cast<std::uint64_t>(inSize) * 8
               ? DecodeStatus::Truncated
               : status;
  };

  while (out < end) {
    if (blockLeft == 0) {
      // The block just decoded is still in the cache: its CRC now costs less than later.
      if (crc) {
        *crc = Crc16(crcFrom, static_cast<std::size_t>(out - crcFrom), *crc);
        crcFrom = out;
      }
      BitReader br{in, inSize, next, limit, bits, count};
      const DecodeStatus status = ReadBlockHeader(br, params, *tables, blockLeft, notes);
      if (status != DecodeStatus::Ok) return status;
      next = br.Next;
      bits = br.Bits;
      count = br.Count;
    }
    // One refill covers a whole symbol: a 16-bit code, a 16-bit distance code and up to 15 extra
    // bits.
    if (next > limit) return DecodeStatus::Truncated;
    bits |= LoadBe64(next) >> count;
    next += (63 - count) >> 3;
    count |= 56;

    const std::uint16_t ce = c.Entry(bits);
    unsigned len = ce & 31u;
    const unsigned sym =
        len != SymbolEntry::kLong ? ce >> 5u : c.DecodeLong(static_cast<unsigned>(bits >> 48), len);
    bits <<= len;
    count -= len;
    --blockLeft;
    if (sym < 256) {
      *out++ = static_cast<std::uint8_t>(sym);
      continue;
    }
    const std::size_t length = sym - (256 - kMinMatch);

    DistanceEntry::Type pe = p.Entry(bits);
    if (DistanceEntry::Bits(pe) == DistanceEntry::kLong) {
      const unsigned j = p.DecodeLong(static_cast<unsigned>(bits >> 48), len);
      pe = DistanceEntry::Make(j, len);
    }
    // The code and its extra bits in one take: the extra bits are the low ones.
    const unsigned taken = DistanceEntry::Bits(pe);
    const std::size_t distance =
        DistanceEntry::Base(pe) + static_cast<std::size_t>(((bits >> 1) >> (63 - taken)) &
                                                           ((1u << DistanceEntry::Extra(pe)) - 1));
    bits <<= taken;
    count -= taken;
    const std::size_t produced = static_cast<std::size_t>(out - begin);
    if (distance > produced || distance > maxDistance) return failure(DecodeStatus::BadDistance);
    const std::size_t room = static_cast<std::size_t>(end - out);
    if (length > room) return failure(DecodeStatus::TooLong);
    CopyMatch(out, distance, length, room);
    out += length;
  }
  // The stream must end where the declared size does: no symbols left in the block, and no
  // whole byte of compressed data left over (libarchive fails both, and an encoder leaves
  // neither).
  const std::uint64_t consumed = TakenBits(in, next, count);
  const std::uint64_t available = static_cast<std::uint64_t>(inSize) * 8;
  if (consumed > available) return DecodeStatus::Truncated;
  if (blockLeft != 0 || available - consumed >= 8) return DecodeStatus::TooLong;
  if (crc) *crc = Crc16(crcFrom, static_cast<std::size_t>(out - crcFrom), *crc);
  return DecodeStatus::Ok;
}

static_assert(kMaxMatch - kMinMatch == kNC - 1 - 256, "match lengths fill the literal code");

}  // namespace

// ---- sources ------------------------------------------------------------------------------------

FileSource::FileSource(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    close(fd);
    return;
  }
  FFd = fd;
  FSize = static_cast<std::uint64_t>(st.st_size);
}

FileSource::~FileSource() {
  if (FFd >= 0) close(FFd);
}

bool FileSource::ReadAt(std::uint64_t offset, void* to, std::size_t size) const {
  if (FFd < 0 || offset > FSize || size > FSize - offset) return false;
  char* p = static_cast<char*>(to);
  while (size > 0) {
    const ssize_t got = pread(FFd, p, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    offset += static_cast<std::uint64_t>(got);
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool MemorySource::ReadAt(std::uint64_t offset, void* to, std::size_t size) const {
  if (offset > FSize || size > FSize - offset) return false;
  if (size > 0) std::memcpy(to, FData + offset, size);
  return true;
}

// ---- headers ------------------------------------------------------------------------------------

HeaderResult ReadHeader(const Source& source, std::uint64_t offset, Member& member) {
  if (offset == source.Size()) return HeaderResult::End;
  HeaderWindow window(source);
  const unsigned char* p = window.Get(offset, 1);
  if (!p) return HeaderResult::NotHandled;
  if (p[0] == 0) return HeaderResult::End;
  p = window.Get(offset, 22);  // the fields every level has in the same place
  if (!p) return HeaderResult::NotHandled;
  Method method;
  if (!MethodOf(p + 2, method)) return HeaderResult::NotHandled;
  const int level = p[20];
  member.Kind = method;
  member.Level = level;
  member.Size = Le32(p + 11);
  switch (level) {
    case 0:
    case 1:
      return ReadLevel0Or1(window, offset, level, member);
    case 2:
      return ReadLevel2(window, offset, member);
    default:
      return HeaderResult::NotHandled;
  }
}

bool ListMembers(const Source& source, std::vector<Member>& members) {
  members.clear();
  std::uint64_t offset = 0;
  for (;;) {
    Member member;
    const HeaderResult r = ReadHeader(source, offset, member);
    if (r == HeaderResult::NotHandled) return false;
    if (r == HeaderResult::End) return !members.empty();
    const std::uint64_t next = member.DataOffset + member.PackedSize;
    // Data that runs past the end: libarchive lists the member, then fails on the next header;
    // let it decide where its walk stops.
    if (next > source.Size()) return false;
    members.push_back(std::move(member));
    offset = next;
  }
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

// ---- data ---------------------------------------------------------------------------------------

const char* DecodeStatusName(DecodeStatus status) {
  switch (status) {
    case DecodeStatus::Ok:
      return "ok";
    case DecodeStatus::ReadError:
      return "read error";
    case DecodeStatus::Truncated:
      return "truncated";
    case DecodeStatus::BadTable:
      return "bad code table";
    case DecodeStatus::BadBlock:
      return "bad block";
    case DecodeStatus::BadDistance:
      return "bad distance";
    case DecodeStatus::TooLong:
      return "more data than declared";
    case DecodeStatus::CrcMismatch:
      return "CRC mismatch";
    case DecodeStatus::SizeMismatch:
      return "size mismatch";
  }
  return "?";
}

std::uint16_t Crc16(const void* data, std::size_t size, std::uint16_t crc) {
  const auto* p = static_cast<const unsigned char*>(data);
#if defined(YUZULOG_LHA_CLMUL)
  if (size >= kClmulMinimum && UseClmul()) return Crc16Clmul(p, size, crc);
#endif
  return Crc16Tables(p, size, crc);
}

DecodeStatus Decode(Method method, const std::uint8_t* packed, std::size_t packedSize, char* out,
                    std::size_t size, std::uint16_t* crc, DecodeNotes* notes) {
  auto* to = reinterpret_cast<std::uint8_t*>(out);
  switch (method) {
    case Method::Stored:
      if (packedSize != size) return DecodeStatus::TooLong;
      if (size > 0) std::memcpy(to, packed, size);
      if (crc) *crc = Crc16(to, size);
      return DecodeStatus::Ok;
    case Method::Lh4:
      return DecodeHuffman({12, 14, 4}, packed, packedSize, to, size, crc, notes);
    case Method::Lh5:
      return DecodeHuffman({13, 14, 4}, packed, packedSize, to, size, crc, notes);
    case Method::Lh6:
      return DecodeHuffman({15, 16, 5}, packed, packedSize, to, size, crc, notes);
    case Method::Lh7:
      return DecodeHuffman({16, 17, 5}, packed, packedSize, to, size, crc, notes);
  }
  return DecodeStatus::BadTable;
}

DecodeStatus Extract(const Source& source, const Member& member, char* out, std::size_t outSize,
                     DecodeNotes* notes) {
  if (member.Size > outSize) return DecodeStatus::SizeMismatch;
  const std::size_t size = static_cast<std::size_t>(member.Size);
  if (member.DataOffset > source.Size() || member.PackedSize > source.Size() - member.DataOffset)
    return DecodeStatus::Truncated;
  std::uint16_t crc = 0;
  if (member.Kind == Method::Stored) {
    // Straight into the caller's buffer.
    if (member.PackedSize != member.Size) return DecodeStatus::TooLong;
    if (!source.ReadAt(member.DataOffset, out, size)) return DecodeStatus::ReadError;
    crc = Crc16(out, size);
  } else {
    const std::size_t packedSize = static_cast<std::size_t>(member.PackedSize);
    std::unique_ptr<std::uint8_t[]> packed(new (std::nothrow)
                                               std::uint8_t[packedSize + kInputPadding]);
    if (!packed) return DecodeStatus::ReadError;
    if (!source.ReadAt(member.DataOffset, packed.get(), packedSize)) return DecodeStatus::ReadError;
    std::memset(packed.get() + packedSize, 0, kInputPadding);
    const DecodeStatus status =
        Decode(member.Kind, packed.get(), packedSize, out, size, &crc, notes);
    if (status != DecodeStatus::Ok) return status;
  }
  return crc == member.Crc ? DecodeStatus::Ok : DecodeStatus::CrcMismatch;
}

}  // namespace yuzulog::lha
