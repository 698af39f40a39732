// The static-Huffman decoders of -lh4- to -lh7- and of -lh3- (at the end of the file): blocks of
// symbols, each block sending its canonical codes (for literals and match lengths, and for match
// distances) before its symbols; matches reach back into the output, which is its own
// dictionary.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "logdata/lhareader.h"
#include "logdata/lhareader_internal.h"

namespace yuzulog::lha::detail {
namespace {

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

// The symbol of a code at the reader, with one table lookup or a search for a code longer than
// the table; the reader takes its code. The reader must hold 16 bits.
template <class Table>
[[gnu::always_inline]] inline unsigned TakeSymbol(BitReader& br, const Table& table) {
  const std::uint16_t e = table.Entry(br.Bits);
  unsigned len = e & 31u;
  const unsigned sym = len != SymbolEntry::kLong
                           ? e >> 5u
                           : table.DecodeLong(static_cast<unsigned>(br.Bits >> 48), len);
  br.Skip(len);
  return sym;
}

// The next symbol of a code.
template <class Table>
unsigned DecodeSymbol(BitReader& br, const Table& table) {
  if (br.Count < kMaxCodeLength) br.Refill();
  return TakeSymbol(br, table);
}

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
    const unsigned c = DecodeSymbol(br, t);
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
DecodeStatus ReadBlockHeader(BitReader& br, const StaticParams& params, Tables& tables,
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

// Far from the output's end, every match fits with room for whole chunks after it.
constexpr std::size_t kFastMargin = kMaxMatch + 32;

// The distance at the reader, and the bits it takes (its code and its extra bits, the extra bits
// being the low ones); the reader keeps them.
[[gnu::always_inline]] inline std::size_t PeekDistance(const BitReader& br, const PTable& p,
                                                       unsigned& taken) {
  DistanceEntry::Type pe = p.Entry(br.Bits);
  if (DistanceEntry::Bits(pe) == DistanceEntry::kLong) [[unlikely]] {
    unsigned len = 0;
    const unsigned j = p.DecodeLong(static_cast<unsigned>(br.Bits >> 48), len);
    pe = DistanceEntry::Make(j, len);
  }
  taken = DistanceEntry::Bits(pe);
  return DistanceEntry::Base(pe) + static_cast<std::size_t>(((br.Bits >> 1) >> (63 - taken)) &
                                                            ((1u << DistanceEntry::Extra(pe)) - 1));
}

// A failure once more bits were taken than there are is the data's end, not its content.
DecodeStatus Failure(const BitReader& br, DecodeStatus status) {
  return br.PastEnd() ? DecodeStatus::Truncated : status;
}

// One literal or match far from the output's end. Which of the two comes next is as good as
// random, and a mispredicted branch between them cost more than the work it saved: a literal
// goes the way of a match, as a copy of length 1 from distance 0 (onto itself, after it is
// written), and the distance is looked up for a literal too, its bits taken only for a match.
// A match is copied 32 bytes at once (few are longer), which may write up to 31 bytes past it,
// inside the output; later symbols overwrite them.
[[gnu::always_inline]] inline DecodeStatus DecodeFast(BitReader& br, const CTable& c,
                                                      const PTable& p, std::size_t maxDistance,
                                                      const std::uint8_t* begin,
                                                      std::uint8_t*& out) {
  const unsigned sym = TakeSymbol(br, c);
  const std::size_t match = sym >> 8;  // 1 for a match, 0 for a literal
  const std::size_t mask = 0 - match;
  unsigned taken;
  const std::size_t distance = PeekDistance(br, p, taken) & mask;
  br.Skip(taken & static_cast<unsigned>(mask));
  const std::size_t length = ((sym - (256 - kMinMatch)) & mask) | (1 - match);
  *out = static_cast<std::uint8_t>(sym);
  const std::size_t produced = static_cast<std::size_t>(out - begin);
  if (distance > produced || distance > maxDistance) [[unlikely]]
    return Failure(br, DecodeStatus::BadDistance);
  if (distance - 1 < 15) [[unlikely]] {  // 1-15: the chunks would overlap what they copy
    CopyMatch(out, distance, length, kFastMargin);
  } else {
    const std::uint8_t* src = out - distance;
    std::uint8_t chunk[16];  // through a buffer: for a literal, source and target are one
    std::memcpy(chunk, src, 16);
    std::memcpy(out, chunk, 16);
    std::memcpy(chunk, src + 16, 16);
    std::memcpy(out + 16, chunk, 16);
    for (std::size_t k = 32; k < length; k += 16)
      std::memcpy(out + k, src + k, 16);
  }
  out += length;
  return DecodeStatus::Ok;
}

// One literal or match near the output's end: a match is checked against the room left.
DecodeStatus DecodeNearEnd(BitReader& br, const CTable& c, const PTable& p, std::size_t maxDistance,
                           const std::uint8_t* begin, std::uint8_t* end, std::uint8_t*& out) {
  const unsigned sym = TakeSymbol(br, c);
  if (sym < 256) {
    *out++ = static_cast<std::uint8_t>(sym);
    return DecodeStatus::Ok;
  }
  const std::size_t length = sym - (256 - kMinMatch);
  unsigned taken;
  const std::size_t distance = PeekDistance(br, p, taken);
  br.Skip(taken);
  const std::size_t produced = static_cast<std::size_t>(out - begin);
  if (distance > produced || distance > maxDistance) return Failure(br, DecodeStatus::BadDistance);
  const std::size_t room = static_cast<std::size_t>(end - out);
  if (length > room) return Failure(br, DecodeStatus::TooLong);
  CopyMatch(out, distance, length, room);
  out += length;
  return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus DecodeStatic(const StaticParams& params, const std::uint8_t* in, std::size_t inSize,
                          std::uint8_t* out, std::size_t size, std::uint16_t* crc,
                          DecodeNotes* notes) {
  const auto tables = TryMake<Tables>();
  if (!tables) return DecodeStatus::OutOfMemory;
  const CTable& c = tables->C;
  const PTable& p = tables->P;
  std::uint8_t* const begin = out;
  std::uint8_t* const end = out + size;
  const std::size_t maxDistance = std::size_t{1} << params.DictBits;

  BitReader br(in, inSize);
  std::uint32_t blockLeft = 0;
  const std::uint8_t* crcFrom = out;
  if (crc) *crc = 0;

  while (out < end) {
    if (blockLeft == 0) {
      // The block just decoded is still in the cache: its CRC now costs less than later.
      if (crc) {
        *crc = Crc16(crcFrom, static_cast<std::size_t>(out - crcFrom), *crc);
        crcFrom = out;
      }
      BitReader header = br;  // a copy, so that br itself never leaves registers
      const DecodeStatus status = ReadBlockHeader(header, params, *tables, blockLeft, notes);
      if (status != DecodeStatus::Ok) return status;
      br = header;
    }
    // One refill covers a whole symbol: a 16-bit code, a 16-bit distance code and up to 15
    // extra bits.
    std::uint8_t* const fastEnd = end - std::min(static_cast<std::size_t>(end - out), kFastMargin);
    while (blockLeft > 0 && out < fastEnd) {
      if (!br.Refill()) return DecodeStatus::Truncated;
      --blockLeft;
      const DecodeStatus status = DecodeFast(br, c, p, maxDistance, begin, out);
      if (status != DecodeStatus::Ok) return status;
    }
    if (blockLeft == 0 || out == end) continue;
    if (!br.Refill()) return DecodeStatus::Truncated;
    --blockLeft;
    const DecodeStatus status = DecodeNearEnd(br, c, p, maxDistance, begin, end, out);
    if (status != DecodeStatus::Ok) return status;
  }
  // The stream must end where the declared size does: no symbols left in the block, and no
  // whole byte of compressed data left over (libarchive fails both, and an encoder leaves
  // neither).
  const std::uint64_t consumed = TakenBits(in, br.Next, br.Count);
  const std::uint64_t available = static_cast<std::uint64_t>(inSize) * 8;
  if (consumed > available) return DecodeStatus::Truncated;
  if (blockLeft != 0 || available - consumed >= 8) return DecodeStatus::TooLong;
  if (crc) *crc = Crc16(crcFrom, static_cast<std::size_t>(out - crcFrom), *crc);
  return DecodeStatus::Ok;
}

static_assert(kMaxMatch - kMinMatch == kNC - 1 - 256, "match lengths fill the literal code");

// ---- -lh3- --------------------------------------------------------------------------------------
//
// The 8 kB static-Huffman method of the late archivers' test versions. Blocks as above, but the
// literal/length code sends each of its 286 lengths as a 0 bit (unused) or a 1 bit and 4 bits of
// length - 1, three lengths of 1 standing for a single symbol in 9 bits; symbol 285 is followed by
// 8 bits more (lengths 3 to 287). A distance is its upper 7 bits in a code of 128 symbols, sent as
// 128 lengths of 4 bits (three lengths of 1: a single symbol in 7 bits) or, after a 0 bit, the
// fixed code below, then its lower 6 bits as they are.

namespace {

constexpr int kLh3Symbols = 286;
constexpr int kLh3Escape = kLh3Symbols - 1;
constexpr int kLh3Positions = 128;
constexpr std::size_t kLh3Dictionary = 8192;

using Lh3CTable = HuffmanTable<12, kLh3Symbols>;
using Lh3PTable = HuffmanTable<8, kLh3Positions>;

struct Lh3Tables {
  Lh3CTable C;
  Lh3PTable P;
};

// The fixed distance code: a length of 2 for symbol 0, then 4, 5, ... up to 9, each from the
// symbol given on.
constexpr std::array<std::uint8_t, kLh3Positions> MakeLh3FixedLengths() {
  constexpr int kFrom[] = {0, 1, 1, 3, 6, 13, 31, 78, kLh3Positions};  // lengths 2 to 9
  std::array<std::uint8_t, kLh3Positions> lengths{};
  for (int len = 2; len <= 9; ++len)
    for (int s = kFrom[len - 2]; s < kFrom[len - 1]; ++s)
      lengths[static_cast<std::size_t>(s)] = static_cast<std::uint8_t>(len);
  return lengths;
}

constexpr std::array<std::uint8_t, kLh3Positions> kLh3FixedLengths = MakeLh3FixedLengths();

// Reads count lengths with readOne; three lengths of 1 make a single-symbol code whose symbol
// follows in singleBits.
template <class Table, class ReadOne>
DecodeStatus ReadLh3Code(BitReader& br, int count, unsigned singleBits, Table& table,
                         ReadOne readOne) {
  std::uint8_t lengths[kLh3Symbols] = {};
  for (int i = 0; i < count;) {
    lengths[i] = static_cast<std::uint8_t>(readOne());
    if (++i == 3 && lengths[0] == 1 && lengths[1] == 1 && lengths[2] == 1) {
      const unsigned only = br.Get(singleBits);
      if (only >= static_cast<unsigned>(count)) return TableFailure(br);
      table.SetSingle(static_cast<int>(only));
      return DecodeStatus::Ok;
    }
  }
  if (br.PastEnd()) return DecodeStatus::Truncated;
  return table.Build(lengths, count) ? DecodeStatus::Ok : DecodeStatus::BadTable;
}

DecodeStatus ReadLh3BlockHeader(BitReader& br, Lh3Tables& tables, std::uint32_t& symbols) {
  symbols = br.Get(16);
  if (br.PastEnd()) return DecodeStatus::Truncated;
  if (symbols == 0) return DecodeStatus::BadBlock;
  DecodeStatus status =
      ReadLh3Code(br, kLh3Symbols, 9, tables.C, [&br] { return br.Get(1) ? br.Get(4) + 1 : 0; });
  if (status != DecodeStatus::Ok) return status;
  if (br.Get(1))
    status = ReadLh3Code(br, kLh3Positions, 7, tables.P, [&br] { return br.Get(4); });
  else if (!tables.P.Build(kLh3FixedLengths.data(), kLh3Positions))
    status = DecodeStatus::BadTable;
  if (status == DecodeStatus::Ok && br.PastEnd()) return DecodeStatus::Truncated;
  return status;
}

}  // namespace

DecodeStatus DecodeLh3(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size) {
  const auto tables = TryMake<Lh3Tables>();
  if (!tables) return DecodeStatus::OutOfMemory;
  BitReader br(in, inSize);
  std::uint8_t* const begin = out;
  std::uint8_t* const end = out + size;
  std::uint32_t blockLeft = 0;
  while (out < end) {
    if (blockLeft == 0) {
      const DecodeStatus status = ReadLh3BlockHeader(br, *tables, blockLeft);
      if (status != DecodeStatus::Ok) return status;
    }
    if (br.Overrun) return DecodeStatus::Truncated;
    --blockLeft;
    unsigned c = DecodeSymbol(br, tables->C);
    if (c == kLh3Escape) c += br.Get(8);
    if (c < 256) {
      *out++ = static_cast<std::uint8_t>(c);
      continue;
    }
    const std::size_t length = c - 256 + kMinMatch;
    const unsigned upper = DecodeSymbol(br, tables->P);
    const std::size_t distance = (std::size_t{upper} << 6 | br.Get(6)) + 1;
    if (length > static_cast<std::size_t>(end - out))
      return br.PastEnd() ? DecodeStatus::Truncated : DecodeStatus::TooLong;
    const std::size_t produced = static_cast<std::size_t>(out - begin);
    CopyFromDictionary(out, produced, distance, length, SpaceDictionary{}, kLh3Dictionary - 1);
    out += length;
  }
  return br.PastEnd() ? DecodeStatus::Truncated : DecodeStatus::Ok;
}

}  // namespace yuzulog::lha::detail
