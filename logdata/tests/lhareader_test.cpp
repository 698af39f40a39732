// Our LHA reader: archives next to libarchive's reading of them, and decoder edges on streams
// built bit by bit here.
#include "logdata/lhareader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "logdata/logdata.h"
#include "logdata/unlha32.h"
#include "tests/support/logbuilder.h"
#include "tests/support/tempdir.h"

namespace yuzulog::lha {
namespace {

using testing::Sjis;
using testing::TempDir;

const std::string kData = YUZULOG_TEST_DATA;

// ---- streams
// -------------------------------------------------------------------------------------

class BitWriter {
 public:
  void Put(unsigned value, int count) {
    for (int i = count - 1; i >= 0; --i)
      FBits.push_back((value >> i) & 1);
  }
  // The bytes, the last one padded with zero bits.
  std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> bytes((FBits.size() + 7) / 8);
    for (std::size_t i = 0; i < FBits.size(); ++i)
      bytes[i / 8] |= static_cast<std::uint8_t>(FBits[i] << (7 - i % 8));
    return bytes;
  }

 private:
  std::vector<int> FBits;
};

// A literal (Length 0) or a match.
struct Token {
  unsigned Literal = 0;
  unsigned Length = 0;
  unsigned Distance = 0;
};
Token Lit(char c) {
  return {static_cast<unsigned char>(c), 0, 0};
}
Token Match(unsigned length, unsigned distance) {
  return {0, length, distance};
}

// Lengths of a complete code over the used symbols, as even as it gets.
std::vector<std::uint8_t> FlatLengths(std::size_t total, const std::vector<bool>& used) {
  std::vector<unsigned> symbols;
  for (unsigned s = 0; s < total; ++s)
    if (used[s]) symbols.push_back(s);
  std::vector<std::uint8_t> lengths(total, 0);
  const unsigned k = static_cast<unsigned>(symbols.size());
  if (k == 0) return lengths;
  const unsigned bits = std::bit_width(k) - 1;
  const unsigned longer = 2 * (k - (1u << bits));
  for (unsigned i = 0; i < k; ++i)
    lengths[symbols[i]] = static_cast<std::uint8_t>(i < k - longer ? bits : bits + 1);
  return lengths;
}

std::vector<unsigned> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
  std::vector<unsigned> codes(lengths.size());
  unsigned code = 0;
  for (int len = 1; len <= 16; ++len) {
    for (std::size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s] == len) codes[s] = code++;
    code <<= 1;
  }
  return codes;
}

std::size_t UsedCount(const std::vector<std::uint8_t>& lengths) {
  std::size_t n = lengths.size();
  while (n > 0 && lengths[n - 1] == 0)
    --n;
  return n;
}

// The code of the literal/length code lengths or of the distances: a count, then each length
// in 3 bits (7 and up: 7, a 1 bit per extra, a 0 bit). special: after that many lengths, 2 bits
// count the zero lengths that follow.
void WriteSmallCode(BitWriter& w, const std::vector<std::uint8_t>& lengths, int countBits,
                    std::size_t special) {
  const std::size_t n = UsedCount(lengths);
  w.Put(static_cast<unsigned>(n), countBits);
  for (std::size_t i = 0; i < n;) {
    const unsigned len = lengths[i++];
    if (len < 7) {
      w.Put(len, 3);
    } else {
      w.Put(7, 3);
      w.Put((1u << (len - 7)) - 1, static_cast<int>(len - 7));
      w.Put(0, 1);
    }
    if (i == special) {
      unsigned zeros = 0;
      while (zeros < 3 && i + zeros < n && lengths[i + zeros] == 0)
        ++zeros;
      w.Put(zeros, 2);
      i += zeros;
    }
  }
}

void WriteSingle(BitWriter& w, unsigned symbol, int countBits) {
  w.Put(0, countBits);
  w.Put(symbol, countBits);
}

// A block: its tokens with flat codes over the symbols they use, or with the literal/length
// code lengths given.
void WriteBlock(BitWriter& w, const std::vector<Token>& tokens, int np, int pbits,
                std::vector<std::uint8_t> cLengths = {}) {
  std::vector<bool> cUsed(510), pUsed(static_cast<std::size_t>(np));
  auto cSymbol = [](const Token& t) { return t.Length ? t.Length + 253 : t.Literal; };
  auto pSymbol = [](const Token& t) {
    return static_cast<unsigned>(std::bit_width(t.Distance - 1));
  };
  for (const Token& t : tokens) {
    cUsed[cSymbol(t)] = true;
    if (t.Length) pUsed[pSymbol(t)] = true;
  }
  const bool singleC = cLengths.empty() && std::count(cUsed.begin(), cUsed.end(), true) == 1;
  if (cLengths.empty()) cLengths = FlatLengths(510, cUsed);
  w.Put(static_cast<unsigned>(tokens.size()), 16);
  if (singleC) {
    // One symbol: what the original encoder writes, with no bits per symbol.
    WriteSingle(w, 0, 5);
    WriteSingle(w, cSymbol(tokens.front()), 9);
  } else {
    // The literal/length lengths as a sequence of code-length symbols and zero runs.
    std::vector<std::pair<unsigned, std::pair<unsigned, int>>> seq;  // symbol, extra bits
    const std::size_t n = UsedCount(cLengths);
    for (std::size_t i = 0; i < n;) {
      if (cLengths[i] != 0) {
        seq.push_back({cLengths[i++] + 2u, {0, 0}});
        continue;
      }
      std::size_t run = 0;
      while (i + run < n && cLengths[i + run] == 0 && run < 531)
        ++run;
      i += run;
      if (run == 19) seq.push_back({0, {0, 0}}), run = 18;
      if (run >= 20)
        seq.push_back({2, {static_cast<unsigned>(run - 20), 9}});
      else if (run >= 3)
        seq.push_back({1, {static_cast<unsigned>(run - 3), 4}});
      else
        seq.insert(seq.end(), run, {0, {0, 0}});
    }
    std::vector<bool> tUsed(19);
    for (const auto& s : seq)
      tUsed[s.first] = true;
    const std::vector<std::uint8_t> tLengths = FlatLengths(19, tUsed);
    const std::vector<unsigned> tCodes = CanonicalCodes(tLengths);
    const bool singleT = std::count(tUsed.begin(), tUsed.end(), true) == 1;
    if (singleT)
      WriteSingle(w, seq.front().first, 5);
    else
      WriteSmallCode(w, tLengths, 5, 3);
    w.Put(static_cast<unsigned>(n), 9);
    for (const auto& s : seq) {
      if (!singleT) w.Put(tCodes[s.first], tLengths[s.first]);
      w.Put(s.second.first, s.second.second);
    }
  }
  const std::vector<std::uint8_t> pLengths = FlatLengths(static_cast<std::size_t>(np), pUsed);
  const std::size_t pCount = static_cast<std::size_t>(std::count(pUsed.begin(), pUsed.end(), true));
  if (pCount <= 1) {
    unsigned only = 0;
    for (unsigned j = 0; j < pUsed.size(); ++j)
      if (pUsed[j]) only = j;
    WriteSingle(w, only, pbits);
  } else {
    WriteSmallCode(w, pLengths, pbits, 0);
  }
  const std::vector<unsigned> cCodes = CanonicalCodes(cLengths);
  const std::vector<unsigned> pCodes = CanonicalCodes(pLengths);
  for (const Token& t : tokens) {
    const unsigned c = cSymbol(t);
    if (!singleC) w.Put(cCodes[c], cLengths[c]);
    if (!t.Length) continue;
    const unsigned j = pSymbol(t);
    if (pCount > 1) w.Put(pCodes[j], pLengths[j]);
    if (j > 1) w.Put((t.Distance - 1) - (1u << (j - 1)), static_cast<int>(j - 1));
  }
}

// What the tokens spell.
std::string Expand(const std::vector<Token>& tokens) {
  std::string s;
  for (const Token& t : tokens) {
    if (!t.Length) {
      s.push_back(static_cast<char>(t.Literal));
      continue;
    }
    for (unsigned i = 0; i < t.Length; ++i)
      s.push_back(s[s.size() - t.Distance]);
  }
  return s;
}

struct Decoded {
  DecodeStatus Status;
  std::string Bytes;
};

Decoded DecodeBytes(Method method, std::vector<std::uint8_t> stream, std::size_t size) {
  const std::size_t packedSize = stream.size();
  stream.resize(packedSize + kInputPadding, 0xA5);  // the padding's value must not matter
  Decoded d{DecodeStatus::Ok, std::string(size, '\0')};
  d.Status = Decode(method, stream.data(), packedSize, d.Bytes.data(), size);
  return d;
}

// np and pbits of -lh5-.
constexpr int kNp5 = 14;
constexpr int kPBits5 = 4;

std::vector<std::uint8_t> Lh5Stream(const std::vector<std::vector<Token>>& blocks) {
  BitWriter w;
  for (const auto& b : blocks)
    WriteBlock(w, b, kNp5, kPBits5);
  return w.Bytes();
}

TEST(LhaDecodeTest, OverlappingMatchesRepeatTheirPattern) {
  // Every short distance with lengths that end mid-chunk, a maximal run, a match ending exactly
  // at the last byte, and a match near the end where no chunk fits.
  std::vector<Token> t = {Lit('a'), Lit('b'), Lit('c'), Lit('d'), Lit('e'), Lit('f'),
                          Lit('g'), Lit('h'), Lit('i'), Lit('j'), Lit('k'), Lit('l'),
                          Lit('m'), Lit('n'), Lit('o'), Lit('p'), Lit('q')};
  for (unsigned d = 1; d <= 17; ++d)
    t.push_back(Match(3 + d * 5 % 17, d));
  t.push_back(Match(256, 1));
  t.push_back(Match(256, 16));
  t.push_back(Lit('z'));
  t.push_back(Match(7, 3));
  const std::string expected = Expand(t);
  const Decoded d = DecodeBytes(Method::Lh5, Lh5Stream({t}), expected.size());
  ASSERT_EQ(d.Status, DecodeStatus::Ok);
  EXPECT_EQ(d.Bytes, expected);
}

TEST(LhaDecodeTest, MatchesReachAcrossBlockBoundaries) {
  std::vector<Token> first, second, third;
  for (char c : std::string("0123456789abcdefghijklmnopqrstuvwxyz"))
    first.push_back(Lit(c));
  second = {Match(20, 36), Lit('!'), Match(5, 1)};  // the whole first block lies behind
  third = {Match(30, 40)};
  const std::string expected = Expand([&] {
    std::vector<Token> all = first;
    all.insert(all.end(), second.begin(), second.end());
    all.insert(all.end(), third.begin(), third.end());
    return all;
  }());
  const Decoded d = DecodeBytes(Method::Lh5, Lh5Stream({first, second, third}), expected.size());
  ASSERT_EQ(d.Status, DecodeStatus::Ok);
  EXPECT_EQ(d.Bytes, expected);
}

TEST(LhaDecodeTest, DistancesMayReachTheFirstByteButNotBeforeIt) {
  const std::vector<Token> ok = {Lit('x'), Lit('y'), Lit('z'), Match(10, 3)};
  EXPECT_EQ(DecodeBytes(Method::Lh5, Lh5Stream({ok}), 13).Status, DecodeStatus::Ok);
  const std::vector<Token> early = {Lit('x'), Lit('y'), Lit('z'), Match(10, 4)};
  EXPECT_EQ(DecodeBytes(Method::Lh5, Lh5Stream({early}), 13).Status, DecodeStatus::BadDistance);
  // -lh4- sends distances of up to 8 kB but its dictionary holds 4 kB.
  std::vector<Token> far;
  for (int i = 0; i < 4200; ++i)
    far.push_back(Lit(static_cast<char>('a' + i % 26)));
  far.push_back(Match(3, 4097));
  EXPECT_EQ(DecodeBytes(Method::Lh4, Lh5Stream({far}), 4203).Status, DecodeStatus::BadDistance);
  far.back() = Match(3, 4096);
  EXPECT_EQ(DecodeBytes(Method::Lh4, Lh5Stream({far}), 4203).Status, DecodeStatus::Ok);
  EXPECT_EQ(DecodeBytes(Method::Lh5, Lh5Stream({far}), 4203).Status, DecodeStatus::Ok);
}

TEST(LhaDecodeTest, OutputMustEndWhereTheStreamDoes) {
  const std::vector<Token> t = {Lit('a'), Lit('b'), Match(40, 2)};
  const std::vector<std::uint8_t> stream = Lh5Stream({t});
  EXPECT_EQ(DecodeBytes(Method::Lh5, stream, 42).Status, DecodeStatus::Ok);
  EXPECT_EQ(DecodeBytes(Method::Lh5, stream, 41).Status, DecodeStatus::TooLong);  // match past it
  EXPECT_EQ(DecodeBytes(Method::Lh5, stream, 2).Status, DecodeStatus::TooLong);   // symbol left
  EXPECT_EQ(DecodeBytes(Method::Lh5, stream, 43).Status, DecodeStatus::Truncated);
  std::vector<std::uint8_t> longer = stream;
  longer.push_back(0);
  EXPECT_EQ(DecodeBytes(Method::Lh5, longer, 42).Status, DecodeStatus::TooLong);  // byte left
  for (std::size_t cut = 0; cut < stream.size(); ++cut)
    EXPECT_EQ(
        DecodeBytes(Method::Lh5, {stream.begin(), stream.begin() + static_cast<long>(cut)}, 42)
            .Status,
        DecodeStatus::Truncated)
        << cut;
  EXPECT_EQ(DecodeBytes(Method::Lh5, {}, 0).Status, DecodeStatus::Ok);
}

TEST(LhaDecodeTest, OneSymbolBlocksReadNoBitsPerSymbol) {
  // The original encoder's form for a block of one distinct symbol: single-symbol codes.
  const std::vector<Token> t(300, Lit('q'));
  const Decoded d = DecodeBytes(
      Method::Lh7,
      [&] {
        BitWriter w;
        WriteBlock(w, t, 17, 5);
        return w.Bytes();
      }(),
      300);
  ASSERT_EQ(d.Status, DecodeStatus::Ok);
  EXPECT_EQ(d.Bytes, std::string(300, 'q'));
}

TEST(LhaDecodeTest, CodesLongerThanTheDirectTableDecode) {
  // Literal/length lengths 1, 2, ..., 15, 16, 16 and one match length: every code length there
  // is, so codes beyond the direct table's width are read too.
  std::vector<std::uint8_t> lengths(510, 0);
  const std::string alphabet = "etaoinshrdlucmwf";
  for (std::size_t i = 0; i < alphabet.size(); ++i)
    lengths[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i + 1);
  lengths[256 + 7] = 16;  // match length 10
  std::vector<Token> t;
  for (int round = 0; round < 3; ++round)
    for (char c : alphabet)
      t.push_back(Lit(c));
  t.push_back(Match(10, 5));
  BitWriter w;
  WriteBlock(w, t, 17, 5, lengths);
  const std::string expected = Expand(t);
  const Decoded d = DecodeBytes(Method::Lh7, w.Bytes(), expected.size());
  ASSERT_EQ(d.Status, DecodeStatus::Ok);
  EXPECT_EQ(d.Bytes, expected);
}

TEST(LhaDecodeTest, MalformedCodeTablesFail) {
  auto block = [](auto writeCodes) {
    BitWriter w;
    w.Put(1, 16);
    writeCodes(w);
    return DecodeBytes(Method::Lh5, w.Bytes(), 1).Status;
  };
  // The code-length code over-subscribed (three codes of 1 bit) and incomplete (one of 1 bit).
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSmallCode(w, {1, 1, 1, 0}, 5, 3);
            }),
            DecodeStatus::BadTable);
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSmallCode(w, {0, 0, 0, 1}, 5, 3);
            }),
            DecodeStatus::BadTable);
  // A length above 16: 7 and ten more.
  EXPECT_EQ(block([](BitWriter& w) {
              w.Put(1, 5);
              w.Put(7, 3);
              w.Put(0x3FF, 10);
              w.Put(0, 1);
            }),
            DecodeStatus::BadTable);
  // More lengths than symbols, single symbols out of range.
  EXPECT_EQ(block([](BitWriter& w) { w.Put(20, 5); }), DecodeStatus::BadTable);
  EXPECT_EQ(block([](BitWriter& w) { WriteSingle(w, 19, 5); }), DecodeStatus::BadTable);
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSingle(w, 0, 5);
              WriteSingle(w, 510, 9);
            }),
            DecodeStatus::BadTable);
  // Literal/length lengths over-subscribed: the code-length code sends length 1 (symbol 3) for
  // three symbols.
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSingle(w, 3, 5);
              w.Put(3, 9);
            }),
            DecodeStatus::BadTable);
  // A zero run past the last literal/length symbol.
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSingle(w, 2, 5);
              w.Put(500, 9);
              w.Put(511, 9);
            }),
            DecodeStatus::BadTable);
  // The distance code over-subscribed after valid literal codes.
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSingle(w, 0, 5);
              WriteSingle(w, 'a', 9);
              WriteSmallCode(w, {1, 1, 1}, 4, 0);
            }),
            DecodeStatus::BadTable);
  // A block of no symbols.
  BitWriter empty;
  empty.Put(0, 16);
  EXPECT_EQ(DecodeBytes(Method::Lh5, empty.Bytes(), 1).Status, DecodeStatus::BadBlock);
}

TEST(LhaDecodeTest, Crc16IsTheLhaCrc) {
  EXPECT_EQ(Crc16("", 0), 0);
  EXPECT_EQ(Crc16("123456789", 9), 0xBB3D);  // the check value of CRC-16/ARC
  // Against the definition, a bit at a time, at every length and alignment around the sizes
  // where the table loop and the carry-less multiplication take over, from any starting value.
  auto bitwise = [](const unsigned char* p, std::size_t n, unsigned crc) {
    for (std::size_t i = 0; i < n; ++i) {
      crc ^= p[i];
      for (int bit = 0; bit < 8; ++bit)
        crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return static_cast<std::uint16_t>(crc);
  };
  std::vector<unsigned char> bytes(70000);
  std::uint32_t seed = 12345;
  for (auto& b : bytes) {
    seed = seed * 1103515245 + 12345;
    b = static_cast<unsigned char>(seed >> 16);
  }
  for (std::size_t n = 0; n < 300; ++n)
    for (std::size_t offset = 0; offset < 3; ++offset) {
      const auto start = static_cast<std::uint16_t>(n * 7919 + offset);
      ASSERT_EQ(Crc16(bytes.data() + offset, n, start), bitwise(bytes.data() + offset, n, start))
          << n << " " << offset;
    }
  EXPECT_EQ(Crc16(bytes.data(), bytes.size(), 1), bitwise(bytes.data(), bytes.size(), 1));
}

// ---- archives
// ------------------------------------------------------------------------------------

struct Listing {
  bool Opened = false;
  std::vector<TUnlha32::Member> Members;
};

Listing Walk(const std::string& path, TUnlha32::Reader reader) {
  Listing l;
  TUnlha32 unlha;
  l.Opened = unlha.OpenArchive(path, reader);
  TUnlha32::Member m;
  for (bool more = unlha.FindFirst(m); more; more = unlha.FindNext(m))
    l.Members.push_back(m);
  return l;
}

std::string Names(const Listing& l) {
  std::string s = l.Opened ? "" : "(not opened)";
  for (const auto& m : l.Members)
    s += m.Name + ":" + std::to_string(m.Size) + " ";
  return s;
}

// Our walk must be libarchive's, and every member must extract to the same bytes (libarchive
// has no -lh4- decoder: there ours must succeed). Returns whether our reader took the walk.
bool ExpectSameAsLibarchive(const std::string& path) {
  const Listing theirs = Walk(path, TUnlha32::Reader::LibarchiveOnly);
  const Listing ours = Walk(path, TUnlha32::Reader::Auto);
  EXPECT_EQ(Names(ours), Names(theirs)) << path;
  for (const auto& m : theirs.Members) {
    std::string a(m.Size, '\0'), b(m.Size, '\0');
    const auto ourStatus = TUnlha32::ExtractMem(path, m.Index, m.Size, a.data(), a.size());
    const auto theirStatus = TUnlha32::ExtractMem(path, m.Index, m.Size, b.data(), b.size(),
                                                  TUnlha32::Reader::LibarchiveOnly);
    FileSource source(path);
    Member own;
    if (FindMember(source, m.Index, own) == HeaderResult::Member && own.Kind == Method::Lh4) {
      EXPECT_EQ(ourStatus, TUnlha32::Status::Ok) << path << " " << m.Name;
      continue;
    }
    EXPECT_EQ(ourStatus == TUnlha32::Status::Ok, theirStatus == TUnlha32::Status::Ok)
        << path << " " << m.Name;
    if (ourStatus == TUnlha32::Status::Ok) {
      EXPECT_EQ(a, b) << path << " " << m.Name;
    }
  }
  std::vector<Member> members;
  FileSource source(path);
  return ListMembers(source, members);
}

TEST(LhaArchiveTest, FixturesReadAsLibarchiveReadsThem) {
  for (const char* name :
       {"room12.lzh", "room03-lh0.lzh", "room03-lh1.lzh", "notlog.lzh", "tie.lzh", "badcrc.lzh",
        "methods.lzh", "dirs-l0.lzh", "dirs-l1.lzh", "dirs-l2.lzh"})
    EXPECT_TRUE(ExpectSameAsLibarchive(kData + "/" + name)) << name;
  // Data cut short: libarchive ends the walk there; ours leaves the walk to it.
  for (const char* name : {"corrupt.lzh", "garbage.lzh", "plain.TXT", "empty.LOG"})
    EXPECT_FALSE(ExpectSameAsLibarchive(kData + "/" + name)) << name;
}

TEST(LhaArchiveTest, NamesKeepTheirBytesAndDirectories) {
  const Listing l1 = Walk(kData + "/dirs-l1.lzh", TUnlha32::Reader::Auto);
  ASSERT_EQ(l1.Members.size(), 2u);
  EXPECT_EQ(l1.Members[1].Name, "LOGS/" + Sjis("ゆず") + "/README.TXT");
  const Listing l0 = Walk(kData + "/dirs-l0.lzh", TUnlha32::Reader::Auto);
  ASSERT_EQ(l0.Members.size(), 2u);
  EXPECT_EQ(l0.Members[0].Name, "LOGS/ROOM05.LOG");  // stored as LOGS\ROOM05.LOG
  const Listing l2 = Walk(kData + "/room12.lzh", TUnlha32::Reader::Auto);
  ASSERT_EQ(l2.Members.size(), 3u);
  EXPECT_EQ(l2.Members[2].Name, Sjis("はじめに.TXT"));
}

TEST(LhaArchiveTest, CorruptMembersFailWithoutFallback) {
  // badcrc.lzh: our reader takes the member and its verdict stands.
  std::vector<char> buffer(4930);
  FileSource source(kData + "/badcrc.lzh");
  Member m;
  ASSERT_EQ(FindMember(source, 0, m), HeaderResult::Member);
  EXPECT_NE(Extract(source, m, buffer.data(), buffer.size()), DecodeStatus::Ok);
  EXPECT_EQ(TUnlha32::ExtractMem(kData + "/badcrc.lzh", 0, 4930, buffer.data(), buffer.size()),
            TUnlha32::Status::ReadError);
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

// ---- crafted headers
// -----------------------------------------------------------------------------

struct HeaderLayout {
  int Level = 2;
  std::string Method = "-lh0-";
  std::string Name = "A.TXT";  // levels 0 and 1: in the base header; level 2: a name record
  std::vector<std::pair<unsigned, std::string>> Records;  // further extended headers
  bool HeaderCrc = true;                                  // levels 1 and 2
  int CrcDelta = 0;                                       // added to the header CRC
  char Attribute = 0x20;
};

void PutLe(std::string& s, std::size_t at, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i)
    s[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}

// One member holding data stored, then the end mark.
std::string MakeArchive(const HeaderLayout& layout, const std::string& data) {
  auto records = layout.Records;
  if (layout.Level == 2) records.insert(records.begin(), {1, layout.Name});
  if (layout.Level > 0 && layout.HeaderCrc)
    records.insert(records.begin(), {0, std::string(2, '\0')});
  std::string ext;
  for (std::size_t i = 0; i < records.size(); ++i) {
    ext += static_cast<char>(records[i].first) + records[i].second + "  ";
    const std::size_t next = i + 1 < records.size() ? records[i + 1].second.size() + 3 : 0;
    PutLe(ext, ext.size() - 2, next, 2);
  }
  const std::size_t firstExt = records.empty() ? 0 : records[0].second.size() + 3;
  std::string h;
  if (layout.Level == 2) {
    h = std::string(26, '\0') + ext;
    PutLe(h, 0, h.size(), 2);
    PutLe(h, 21, Crc16(data.data(), data.size()), 2);
    h[23] = 'U';
    PutLe(h, 24, firstExt, 2);
  } else {
    const std::size_t base = 22 + layout.Name.size() + (layout.Level == 0 ? 2 : 5);
    h = std::string(base, '\0');
    h.replace(22, layout.Name.size(), layout.Name);
    h[0] = static_cast<char>(base - 2);
    h[21] = static_cast<char>(layout.Name.size());
    PutLe(h, 22 + layout.Name.size(), Crc16(data.data(), data.size()), 2);
    if (layout.Level == 1) {
      h[base - 3] = 'U';
      PutLe(h, base - 2, firstExt, 2);
    }
    h += ext;
  }
  h.replace(2, 5, layout.Method);
  PutLe(h, 7, data.size() + (layout.Level == 1 ? ext.size() : 0), 4);
  PutLe(h, 11, data.size(), 4);
  h[19] = layout.Attribute;
  h[20] = static_cast<char>(layout.Level);
  if (layout.Level < 2) {
    unsigned sum = 0;
    for (std::size_t i = 2; i < static_cast<unsigned char>(h[0]) + 2u; ++i)
      sum += static_cast<unsigned char>(h[i]);
    h[1] = static_cast<char>(sum);
  }
  if (layout.Level > 0 && layout.HeaderCrc) {
    const std::size_t at = (layout.Level == 2 ? 26 : static_cast<unsigned char>(h[0]) + 2u) + 1;
    PutLe(h, at, static_cast<std::uint16_t>(Crc16(h.data(), h.size()) + layout.CrcDelta), 2);
  }
  return h + data + '\0';
}

HeaderLayout Layout(int level, const std::string& method, const std::string& name,
                    std::vector<std::pair<unsigned, std::string>> records = {},
                    bool headerCrc = true, int crcDelta = 0, char attribute = 0x20) {
  return {level, method, name, std::move(records), headerCrc, crcDelta, attribute};
}

TEST(LhaArchiveTest, CraftedHeadersReadAsLibarchiveReadsThemOrGoToIt) {
  const std::string data = "hello\r\n";
  struct Case {
    const char* What;
    HeaderLayout Header;
    bool Ours;         // our reader takes the walk
    std::string Name;  // and lists this name
  };
  const std::string nul("A\0B.TXT", 7);
  const Case cases[] = {
      {"level 0", Layout(0, "-lh0-", "DIR\\A.TXT"), true, "DIR/A.TXT"},
      {"level 1", Layout(1, "-lh0-", "DIR\\A.TXT"), true, "DIR\\A.TXT"},
      {"level 1 name record", Layout(1, "-lh0-", "A", {{1, "LONG.TXT"}, {2, "D\xFF"}}), true,
       "D/LONG.TXT"},
      {"level 2 directory", Layout(2, "-lh0-", "A.TXT", {{2, "LOGS\xFFOLD\xFF"}}), true,
       "LOGS/OLD/A.TXT"},
      {"level 2 time stamps", Layout(2, "-lh0-", "A.TXT", {{0x54, "abcd"}, {0x41, "x"}}), true,
       "A.TXT"},
      {"level 0 attribute", Layout(0, "-lh0-", "A.TXT", {}, true, 0, 0x10), true, "A.TXT"},
      {"level 1 no header CRC", Layout(1, "-lh0-", "A.TXT", {}, false), true, "A.TXT"},
      // Not ours: each goes to libarchive, which lists or rejects it.
      {"level 2 directory without its last separator", Layout(2, "-lh0-", "A.TXT", {{2, "LOGS"}}),
       false, ""},
      {"level 2 without header CRC", Layout(2, "-lh0-", "A.TXT", {}, false), false, ""},
      {"level 2 wrong header CRC", Layout(2, "-lh0-", "A.TXT", {}, true, 1), false, ""},
      {"level 1 wrong header CRC", Layout(1, "-lh0-", "A.TXT", {}, true, 1), false, ""},
      {"level 1 attribute other than 0x20", Layout(1, "-lh0-", "A.TXT", {}, true, 0, 0x10), false,
       ""},
      {"level 2 attribute other than 0x20", Layout(2, "-lh0-", "A.TXT", {}, true, 0, 0), false, ""},
      {"NUL in a name", Layout(0, "-lh0-", nul), false, ""},
      {"UTF-16 name record", Layout(2, "-lh0-", "A.TXT", {{0x44, std::string("B\0", 2)}}), false,
       ""},
      {"symbolic link", Layout(2, "-lh0-", "A|B", {{0x50, std::string("\xFF\xA1", 2)}}), false, ""},
      {"64-bit sizes", Layout(2, "-lh0-", "A.TXT", {{0x42, std::string(16, '\0')}}), false, ""},
      {"-lh1-", Layout(2, "-lh1-", "A.TXT"), false, ""},
      {"directory entry", Layout(2, "-lhd-", "A.TXT"), false, ""},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.Write("a.lzh", MakeArchive(c.Header, data));
    EXPECT_EQ(ExpectSameAsLibarchive(path), c.Ours) << c.What;
    if (!c.Ours) continue;
    const Listing l = Walk(path, TUnlha32::Reader::Auto);
    ASSERT_EQ(l.Members.size(), 1u) << c.What;
    EXPECT_EQ(l.Members[0].Name, c.Name) << c.What;
  }
  // Level 3 and a header cut short by the end of the file.
  HeaderLayout level3;
  std::string bytes = MakeArchive(level3, data);
  bytes[20] = 3;
  EXPECT_FALSE(ExpectSameAsLibarchive(dir.Write("3.lzh", bytes)));
  bytes = MakeArchive(level3, data);
  EXPECT_FALSE(ExpectSameAsLibarchive(dir.Write("cut.lzh", bytes.substr(0, 30))));
  // Trailing bytes after the end mark are not read.
  EXPECT_TRUE(ExpectSameAsLibarchive(dir.Write("tail.lzh", bytes + "junk")));
}

TEST(LhaArchiveTest, MemberOfSizeZero) {
  HeaderLayout layout;
  TempDir dir;
  const std::string path = dir.Write("zero.lzh", MakeArchive(layout, ""));
  char byte = 'x';
  EXPECT_EQ(TUnlha32::ExtractMem(path, 0, 0, &byte, 0), TUnlha32::Status::Ok);
  EXPECT_EQ(byte, 'x');
  // A -lh5- member of size 0 and no data; with a byte of data left over it is corrupt.
  layout.Method = "-lh5-";
  const std::string lh5 = dir.Write("zero5.lzh", MakeArchive(layout, ""));
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
