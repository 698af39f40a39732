// The candidate search behind TMotCle::Find, shared by the baseline build of motcle.cpp and the
// AVX2 build of motcle_avx2.cpp: each translation unit instantiates ScanWindows with its own block
// width. Everything here has internal linkage, so neither unit's code can stand in for the
// other's at link time (the AVX2 unit's copies must never run on a processor without AVX2).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include "common/sjis.h"

namespace yuzulog {

enum class ScanMode : std::uint8_t;

namespace detail {
// Find and FindPair in mode 0-5 by the AVX2 scan, for a non-empty keyword (motcle_avx2.cpp; only
// in builds for x86-64, and only to be called where the processor has AVX2). readable as for
// TMotCle::Find.
const unsigned char* FindAvx2(const unsigned char* text, const unsigned char* readable,
                              const unsigned char* k, const unsigned char* m, ScanMode mode);
const unsigned char* FindPairAvx2(const unsigned char* from, const unsigned char* end,
                                  const unsigned char* k, const unsigned char* m, int pair,
                                  ScanMode mode);
}  // namespace detail

namespace {

// Calls f with std::integral_constant<int, Mode> for the scan modes 0-5, so each mode gets its own
// instantiation; any other mode gives onOther. Inside the scans a mode is its number: bit 0 says
// folded, 2 and above skip line breaks, 4 and above skip blanks.
template <class R, class F>
R WithScanMode(ScanMode mode, R onOther, F&& f) {
  switch (static_cast<int>(mode)) {
    case 0:
      return f(std::integral_constant<int, 0>{});
    case 1:
      return f(std::integral_constant<int, 1>{});
    case 2:
      return f(std::integral_constant<int, 2>{});
    case 3:
      return f(std::integral_constant<int, 3>{});
    case 4:
      return f(std::integral_constant<int, 4>{});
    case 5:
      return f(std::integral_constant<int, 5>{});
    default:
      return onOther;
  }
}

constexpr unsigned char kCR = 0x0D;
constexpr unsigned char kLF = 0x0A;

constexpr bool IsLineBreak(unsigned char b) {
  return b == kCR || b == kLF;
}
// The single-byte blanks of modes 4 and 5; the two-byte full-width space 0x81 0x40 is the other.
constexpr bool IsSingleBlank(unsigned char b) {
  return b == 0x09 || b == kLF || b == kCR || b == 0x20;
}
inline bool IsBlankAt(const unsigned char* t) {
  return IsSingleBlank(t[0]) || (t[0] == 0x81 && t[1] == 0x40);
}

// Past the blanks at t: tab, LF, CR, space, and the full-width space 0x81 0x40.
inline const unsigned char* SkipBlanks(const unsigned char* t) {
  for (;;) {
    if (IsSingleBlank(*t))
      ++t;
    else if (t[0] == 0x81 && t[1] == 0x40)
      t += 2;
    else
      return t;
  }
}

template <bool Folded>
inline bool Equal(unsigned char t, unsigned char k, unsigned char m) {
  if constexpr (Folded)
    return ((t ^ k) & m) == 0;
  else
    return t == k;
}

// One attempt at start position t: walks the keyword until its zero byte (success).
template <int Mode>
inline bool Attempt(const unsigned char* t, const unsigned char* k, const unsigned char* m) {
  constexpr bool folded = (Mode & 1) != 0;
  if constexpr (Mode <= 1) {
    // The text's zero byte never equals a keyword byte, so the attempt fails there.
    for (; *k != 0; ++k, ++m, ++t)
      if (!Equal<folded>(*t, *k, *m)) return false;
  } else if constexpr (Mode <= 3) {
    for (; *k != 0; ++k, ++m, ++t) {
      while (IsLineBreak(*t))
        ++t;
      if (*t == 0 || !Equal<folded>(*t, *k, *m)) return false;
    }
  } else {
    // The second byte of a double-byte character is compared as it stands: a trail byte 0x20 or
    // 0x40 is not a blank.
    bool secondByte = false;
    for (; *k != 0; ++k, ++m, ++t) {
      if (secondByte) {
        secondByte = false;
      } else {
        t = SkipBlanks(t);
        secondByte = IsMatcherLeadByte(*t);
      }
      if (*t == 0 || !Equal<folded>(*t, *k, *m)) return false;
    }
  }
  return true;
}

// Whether p is a start position of a scan that began at the boundary anchor <= p. A byte after a
// byte that is not lead-valued always starts a character (either that byte was a character of its
// own or it was the second byte of a pair), so only the run of lead-valued bytes just before p
// decides: p is a boundary when the run's length is even.
inline bool IsBoundary(const unsigned char* anchor, const unsigned char* p) {
  const unsigned char* q = p;
  while (q > anchor && IsMatcherLeadByte(q[-1]))
    --q;
  return ((p - q) & 1) == 0;
}

// Modes 4 and 5: the scan reaches a successful first compared byte f from the first start
// position of the run of blanks before it (the attempt skips them), line-break bytes excepted,
// which never start a hit.
const unsigned char* RunStart(const unsigned char* begin, const unsigned char* f) {
  const unsigned char* s = f;
  for (;;) {
    if (s - begin >= 1 && IsSingleBlank(s[-1]) && IsBoundary(begin, s - 1)) {
      --s;
    } else if (s - begin >= 2 && s[-2] == 0x81 && s[-1] == 0x40 && IsBoundary(begin, s - 2)) {
      s -= 2;
    } else {
      break;
    }
  }
  while (s < f && IsLineBreak(*s))
    ++s;
  return s;
}

// Bytes of text the candidate search takes at a time.
constexpr std::size_t kWindow = 4096;

// The bytes that may stand between the first two compared text bytes of an attempt.
enum class Between { Nothing, LineBreaks, Blanks };

// How a block tests the byte after a position: it equals the second keyword byte; or it does, or
// it is a byte up to Limit; or (blanks) it is looked up in a table by its low four bits, where
// the block can look bytes up, else either of the first two or 0x81. A test may let through more
// than the byte filter (every examined position gets the exact attempt): a byte the attempt may
// skip is taken as "a byte up to CR" (line breaks) or "a byte up to space, or 0x81" (blanks),
// two operations instead of a compare for each skippable byte, and after a keyword of one byte
// every byte passes as "a byte up to 0xFF".
enum class SecondTest { Equal, EqualOrUpTo, NibbleTable };

// The filter that every successful first compared byte c passes: c matches the first keyword
// byte and c[1] either matches the second or is a byte the attempt may skip first.
struct CandidateFilter {
  unsigned char Or0, Target0, Or1, Target1;
  bool TwoBytes;
  Between Skip;
  // The block form of the second byte's test.
  SecondTest Second;
  unsigned char Limit;
  // NibbleTable: the byte that the second byte ORed with TableOr must equal, by its low four
  // bits. Three operations stand for the six of the test without a table: a lookup, a compare and
  // the AND that takes the low bits. Where the second keyword byte shares its low bits with a
  // blank, TableOr also holds the bits in which the two differ, so that both pass. The test lets
  // through some bytes more (those that equal an entry once ORed), each of which the exact test
  // turns away.
  unsigned char Table[16];
  unsigned char TableOr;

  bool SkippableSecond(unsigned char b) const {
    switch (Skip) {
      case Between::Nothing:
        return false;
      case Between::LineBreaks:
        return IsLineBreak(b);
      case Between::Blanks:
        return IsSingleBlank(b) || b == 0x81;
    }
    return false;
  }
  bool Passes(const unsigned char* c) const {
    if ((c[0] | Or0) != Target0) return false;
    if (!TwoBytes) return true;
    return (c[1] | Or1) == Target1 || SkippableSecond(c[1]);
  }
};

// The broadcast filter bytes for a block of 16 or 32 positions; V is the vector type and Ops its
// three operations.
#if defined(__SSE2__)
struct Sse2Ops {
  using V = __m128i;
  static constexpr std::ptrdiff_t kBytes = 16;
  static V Load(const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
  static V Set(unsigned char b) { return _mm_set1_epi8(static_cast<char>(b)); }
  static V Eq(V a, V b) { return _mm_cmpeq_epi8(a, b); }
  static V Or(V a, V b) { return _mm_or_si128(a, b); }
  static V And(V a, V b) { return _mm_and_si128(a, b); }
  static V MinU(V a, V b) { return _mm_min_epu8(a, b); }
  static V Zero() { return _mm_setzero_si128(); }
  static unsigned Bits(V a) { return static_cast<unsigned>(_mm_movemask_epi8(a)); }
  static bool Any(V a) { return _mm_movemask_epi8(a) != 0; }
  static constexpr bool kLooksUp = false;  // no byte shuffle before SSSE3
};
#endif
#if defined(__AVX2__)
struct Avx2Ops {
  using V = __m256i;
  static constexpr std::ptrdiff_t kBytes = 32;
  static V Load(const unsigned char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const V*>(p));
  }
  static V Set(unsigned char b) { return _mm256_set1_epi8(static_cast<char>(b)); }
  static V Eq(V a, V b) { return _mm256_cmpeq_epi8(a, b); }
  static V Or(V a, V b) { return _mm256_or_si256(a, b); }
  static V And(V a, V b) { return _mm256_and_si256(a, b); }
  static V MinU(V a, V b) { return _mm256_min_epu8(a, b); }
  static V Zero() { return _mm256_setzero_si256(); }
  static unsigned Bits(V a) { return static_cast<unsigned>(_mm256_movemask_epi8(a)); }
  static bool Any(V a) { return _mm256_testz_si256(a, a) == 0; }
  static constexpr bool kLooksUp = true;
  // The 16 bytes of t in each lane, and the byte of the table at each byte's low four bits.
  static V Table(const unsigned char* t) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
  }
  static V LookUp(V table, V lowBits) { return _mm256_shuffle_epi8(table, lowBits); }
};
#endif

// The filter applied to Ops::kBytes positions at a time. Folds: whether the filter folds a
// letter (an OR with 0x20 before the compare); a folded mode whose keyword bytes are no letters
// (a Japanese keyword) compares like an exact one and takes the block without the two ORs.
// Second: the filter's SecondTest.
template <class Ops, bool Folds, SecondTest Second>
class Block {
 public:
  static constexpr std::ptrdiff_t kBytes = Ops::kBytes;

  explicit Block(const CandidateFilter& f)
      : FOr0(Ops::Set(f.Or0)),
        FTarget0(Ops::Set(f.Target0)),
        FOr1(Ops::Set(f.Or1)),
        FTarget1(Ops::Set(f.Target1)),
        FLimit(Ops::Set(f.Limit)),
        FFullWidthLead(Ops::Set(0x81)) {
    if constexpr (kLookUp) {
      FTable = Ops::Table(f.Table);
      FTableOr = Ops::Set(f.TableOr);
      FLowBits = Ops::Set(0x0F);
    }
  }

  // Bit i set when position p + i passes the filter; reads p[0..kBytes].
  unsigned Mask(const unsigned char* p) const { return Ops::Bits(Candidates(Ops::Load(p), p)); }

  // The same test for a block whose bytes v0 were loaded from p, as a vector: a byte of all ones
  // for each position that passes.
  typename Ops::V Candidates(typename Ops::V v0, const unsigned char* p) const {
    using V = typename Ops::V;
    const V hit = Ops::Eq(Folds ? Ops::Or(v0, FOr0) : v0, FTarget0);
    // No early way out when the first byte is nowhere in the block: for a common first byte that
    // branch is taken about half the time and mispredicted as often, which costs more than the
    // second test.
    const V v1 = Ops::Load(p + 1);
    if constexpr (kLookUp) {
      const V folded = Folds ? Ops::Or(v1, FTableOr) : v1;
      return Ops::And(hit, Ops::Eq(Ops::LookUp(FTable, Ops::And(v1, FLowBits)), folded));
    }
    V second = Ops::Eq(Folds ? Ops::Or(v1, FOr1) : v1, FTarget1);
    if constexpr (Second != SecondTest::Equal)
      second = Ops::Or(second, Ops::Eq(Ops::MinU(v1, FLimit), v1));
    if constexpr (Second == SecondTest::NibbleTable)
      second = Ops::Or(second, Ops::Eq(v1, FFullWidthLead));
    return Ops::And(hit, second);
  }

  // Two blocks from p at once, for a scan that may read past the terminator: the positions of
  // p[0..2 * kBytes) that pass, and those that hold a zero byte, each bit i for p + i; reads
  // p[0..2 * kBytes]. Both are 0 when neither is found, after a single test of the two blocks.
  void Pair(const unsigned char* p, std::uint64_t& candidates, std::uint64_t& zeros) const {
    using V = typename Ops::V;
    const V v0 = Ops::Load(p);
    const V v1 = Ops::Load(p + kBytes);
    const V c0 = Candidates(v0, p);
    const V c1 = Candidates(v1, p + kBytes);
    const V z0 = Ops::Eq(v0, Ops::Zero());
    const V z1 = Ops::Eq(v1, Ops::Zero());
    if (!Ops::Any(Ops::Or(Ops::Or(c0, z0), Ops::Or(c1, z1)))) {
      candidates = 0;
      zeros = 0;
      return;
    }
    candidates = Ops::Bits(c0) | std::uint64_t{Ops::Bits(c1)} << kBytes;
    zeros = Ops::Bits(z0) | std::uint64_t{Ops::Bits(z1)} << kBytes;
  }

  // The positions of p[0..2 * kBytes) that pass, with one test of the two blocks when none does;
  // reads p[0..2 * kBytes].
  std::uint64_t PairCandidates(const unsigned char* p) const {
    using V = typename Ops::V;
    const V c0 = Candidates(Ops::Load(p), p);
    const V c1 = Candidates(Ops::Load(p + kBytes), p + kBytes);
    if (!Ops::Any(Ops::Or(c0, c1))) return 0;
    return Ops::Bits(c0) | std::uint64_t{Ops::Bits(c1)} << kBytes;
  }

 private:
  // The table where Ops can look bytes up; elsewhere "equal, up to Limit, or 0x81".
  static constexpr bool kLookUp = [] {
    if constexpr (Second == SecondTest::NibbleTable)
      return Ops::kLooksUp;
    else
      return false;
  }();
  typename Ops::V FOr0, FTarget0, FOr1, FTarget1, FLimit, FFullWidthLead, FTable{}, FTableOr{},
      FLowBits{};
};

// No vector unit: every position goes through the byte loop.
struct NoOps {
  static constexpr std::ptrdiff_t kBytes = 0;
};
template <bool Folds, SecondTest Second>
class Block<NoOps, Folds, Second> {
 public:
  static constexpr std::ptrdiff_t kBytes = 0;
  explicit Block(const CandidateFilter&) {}
  unsigned Mask(const unsigned char*) const { return 0; }
  void Pair(const unsigned char*, std::uint64_t& candidates, std::uint64_t& zeros) const {
    candidates = zeros = 0;
  }
  std::uint64_t PairCandidates(const unsigned char*) const { return 0; }
};

#if defined(__SSE2__)
using BaselineOps = Sse2Ops;
#else
using BaselineOps = NoOps;
#endif

// The filter for the keyword bytes k[0] and k[1] (mask m); secondByte: k[0] is the second byte of
// a double-byte character of the keyword (then k[1] starts a character, and in modes 4 and 5 the
// attempt skips blanks before it).
template <int Mode>
CandidateFilter MakeFilter(const unsigned char* k, const unsigned char* m,
                           bool secondByte = false) {
  constexpr bool folded = (Mode & 1) != 0;
  CandidateFilter filter{};
  filter.Or0 = folded && m[0] == 0xDF ? 0x20 : 0x00;
  filter.Target0 = static_cast<unsigned char>(k[0] | filter.Or0);
  filter.TwoBytes = k[1] != 0;
  filter.Or1 = folded && m[1] == 0xDF ? 0x20 : 0x00;
  filter.Target1 = static_cast<unsigned char>(k[1] | filter.Or1);
  if constexpr (Mode <= 1)
    filter.Skip = Between::Nothing;
  else if constexpr (Mode <= 3)
    filter.Skip = Between::LineBreaks;
  else  // after a lead byte the attempt compares the next byte without skipping
    filter.Skip = !secondByte && IsMatcherLeadByte(k[0]) ? Between::Nothing : Between::Blanks;
  if (!filter.TwoBytes) {
    filter.Second = SecondTest::EqualOrUpTo;
    filter.Limit = 0xFF;
  } else if (filter.Skip == Between::LineBreaks) {
    filter.Second = SecondTest::EqualOrUpTo;
    filter.Limit = kCR;
  } else if (filter.Skip == Between::Blanks) {
    filter.Limit = 0x20;
    // Filled for every search of a pair (once a message that holds it): each entry a byte whose
    // low four bits differ from its index, so nothing passes there, but for the blanks' entries
    // (0x20 at 0, 0x81 at 1, 0x09, 0x0A and 0x0D at their own) and the second keyword byte's.
    static constexpr unsigned char kBlanks[16] = {0x20, 0x81, 0x0D, 0x0C, 0x0B, 0x0A, 0x09, 0x08,
                                                  0x07, 0x09, 0x0A, 0x04, 0x03, 0x0D, 0x01, 0x00};
    constexpr unsigned kBlankIndexes = 1u << 0 | 1u << 1 | 1u << 0x9 | 1u << 0xA | 1u << 0xD;
    std::memcpy(filter.Table, kBlanks, sizeof kBlanks);
    const int second = filter.Target1 & 0x0F;
    filter.TableOr = filter.Or1;
    if ((kBlankIndexes >> second & 1) != 0)
      filter.TableOr |= static_cast<unsigned char>(filter.Target1 ^ kBlanks[second]);
    if (filter.TableOr != 0)
      for (const int i : {0, 1, 0x9, 0xA, 0xD})
        filter.Table[i] |= filter.TableOr;
    filter.Table[second] = static_cast<unsigned char>(filter.Target1 | filter.TableOr);
    filter.Second = SecondTest::NibbleTable;
  } else {
    filter.Second = SecondTest::Equal;
    filter.Limit = 0;
  }
  return filter;
}

// Calls f(folds, second) with the filter's block shape as compile-time constants
// (std::integral_constant), and only with the shapes mode Mode can give.
template <int Mode, class F>
auto WithBlockShape(const CandidateFilter& filter, F&& f) {
  auto withSecond = [&](auto folds) {
    using Equal = std::integral_constant<SecondTest, SecondTest::Equal>;
    using UpTo = std::integral_constant<SecondTest, SecondTest::EqualOrUpTo>;
    if constexpr (Mode >= 4) {
      using Table = std::integral_constant<SecondTest, SecondTest::NibbleTable>;
      if (filter.Second == SecondTest::NibbleTable) return f(folds, Table{});
    }
    if constexpr (Mode <= 1 || Mode >= 4) {
      if (filter.Second == SecondTest::Equal) return f(folds, Equal{});
    }
    return f(folds, UpTo{});  // modes 2 and 3 take nothing else
  };
  if constexpr ((Mode & 1) != 0 || Mode >= 4) {
    if ((filter.Or0 | filter.Or1 | filter.TableOr) != 0) return withSecond(std::true_type{});
  }
  return withSecond(std::false_type{});
}

// Whether keyword byte i is the second byte of a double-byte character as a successful attempt
// in modes 4 and 5 sees it. The attempt's flag comes from the text bytes, but a text byte that
// matched a keyword byte is lead-valued exactly when the keyword byte is (lead bytes compare
// exactly), so the keyword alone decides.
inline bool IsSecondByteAt(const unsigned char* k, int i) {
  bool second = false;
  for (int j = 0; j < i; ++j)
    second = !second && IsMatcherLeadByte(k[j]);
  return second;
}

// Whether the keyword bytes from pair on (text k, mask m) stand at c as an attempt in mode Mode
// compares them, c holding byte pair and each later byte compared past what the attempt skips
// before it. secondAtPair: keyword byte pair is the second byte of a double-byte character
// (IsSecondByteAt). Bytes at and after end are unknown: a walk that reaches end holds. c < end.
template <int Mode>
inline bool TailHolds(const unsigned char* c, const unsigned char* end, const unsigned char* k,
                      const unsigned char* m, int pair, bool secondAtPair) {
  constexpr bool folded = (Mode & 1) != 0;
  if (!Equal<folded>(c[0], k[pair], m[pair])) return false;
  // Modes 4 and 5: the next byte is the second of a double-byte character, compared as it stands.
  bool secondByte = !secondAtPair && IsMatcherLeadByte(c[0]);
  const unsigned char* t = c + 1;
  for (int j = pair + 1; k[j] != 0; ++j, ++t) {
    if constexpr (Mode == 2 || Mode == 3) {
      while (t < end && IsLineBreak(*t))
        ++t;
    } else if constexpr (Mode >= 4) {
      if (secondByte) {
        secondByte = false;
      } else {
        for (; t < end; ++t) {
          if (t[0] == 0x81 && (end - t < 2 || t[1] == 0x40))
            ++t;  // a full-width space, or the first byte of one cut by end
          else if (!IsSingleBlank(*t))
            break;
        }
        if (t < end) secondByte = IsMatcherLeadByte(*t);
      }
    }
    if (t >= end) return true;
    if (!Equal<folded>(*t, k[j], m[j])) return false;
  }
  return true;
}

// The first position c in [from, end - 1) where the keyword's tail from byte pair holds
// (TailHolds), or end; every byte there is data (a NUL ends nothing), and nothing at or after
// end is read. filter: for keyword bytes pair and pair + 1.
template <class WideOps, int Mode, bool Folds, SecondTest Second>
const unsigned char* ScanPairWith(const CandidateFilter& filter, const unsigned char* from,
                                  const unsigned char* end, const unsigned char* k,
                                  const unsigned char* m, int pair) {
  using Wide = Block<WideOps, Folds, Second>;
  const Wide wide(filter);
  const bool secondAtPair = IsSecondByteAt(k, pair);
  const unsigned char* p = from;
  if constexpr (Wide::kBytes > 0) {
    // A pair of blocks reads p[0..2 * kBytes].
    constexpr std::ptrdiff_t kPair = 2 * Wide::kBytes;
    for (; end - p > kPair; p += kPair) {
      // The block test lets through more than the tail's test: each position it gives is checked.
      for (std::uint64_t bits = wide.PairCandidates(p); bits != 0; bits &= bits - 1) {
        const unsigned char* c = p + __builtin_ctzll(bits);
        if (TailHolds<Mode>(c, end, k, m, pair, secondAtPair)) return c;
      }
    }
  }
  for (; end - p > 1; ++p)
    if (TailHolds<Mode>(p, end, k, m, pair, secondAtPair)) return p;
  return end;
}

// FindPair (TMotCle) in mode Mode from keyword byte pair of a non-empty keyword.
template <class WideOps, int Mode>
const unsigned char* ScanPair(const unsigned char* from, const unsigned char* end,
                              const unsigned char* k, const unsigned char* m, int pair) {
  const CandidateFilter filter = MakeFilter<Mode>(k + pair, m + pair, IsSecondByteAt(k, pair));
  return WithBlockShape<Mode>(filter, [&](auto folds, auto second) {
    return ScanPairWith<WideOps, Mode, folds, second>(filter, from, end, k, m, pair);
  });
}

// FindPair by the byte loop alone: every position gets the tail's test.
template <int Mode>
const unsigned char* ScanPairPlain(const unsigned char* from, const unsigned char* end,
                                   const unsigned char* k, const unsigned char* m, int pair) {
  const bool secondAtPair = IsSecondByteAt(k, pair);
  for (const unsigned char* c = from; end - c > 1; ++c)
    if (TailHolds<Mode>(c, end, k, m, pair, secondAtPair)) return c;
  return end;
}

// Find in mode Mode for a non-empty keyword (text k, mask m) with its candidate filter. Where the
// caller vouches that the bytes up to readable may be read (readable is not null), the scan first
// goes 2 * Wide::kBytes positions at a time, testing each pair of blocks for candidates and the
// terminator at once, while a pair's loads stay before readable. Then, or from the start:
// candidates Wide::kBytes positions at a time, then 16 at a time where Wide is wider, then byte
// by byte to the end of each window.
template <class WideOps, int Mode, bool Folds, SecondTest Second>
const unsigned char* ScanWindowsWith(const CandidateFilter& filter, const unsigned char* begin,
                                     const unsigned char* readable, const unsigned char* k,
                                     const unsigned char* m) {
  using Wide = Block<WideOps, Folds, Second>;
  using Narrow = Block<BaselineOps, Folds, Second>;
  // Every position before `known` has been decided; `known` itself is a start position.
  const unsigned char* known = begin;

  // Decides candidate c (in ascending order); returns the hit or nullptr to go on.
  auto examine = [&](const unsigned char* c) -> const unsigned char* {
    const bool boundary = IsBoundary(known, c);
    known = boundary ? c : c - 1;
    if (!boundary) return nullptr;
    if constexpr (Mode >= 2) {
      if (IsLineBreak(*c)) return nullptr;
    }
    if constexpr (Mode >= 4) {
      // A blank is skipped by the attempt: the byte compared first lies further on.
      if (IsBlankAt(c)) return nullptr;
    }
    if (!Attempt<Mode>(c, k, m)) return nullptr;
    if constexpr (Mode >= 4) return RunStart(begin, c);
    return c;
  };
  // The candidates of the block at p, given by bits.
  auto examineBits = [&](const unsigned char* p, std::uint64_t bits) -> const unsigned char* {
    while (bits != 0) {
      const unsigned char* c = p + __builtin_ctzll(bits);
      bits &= bits - 1;
      if (const unsigned char* hit = examine(c)) return hit;
    }
    return nullptr;
  };

  const Wide wide(filter);
  const Narrow narrow(filter);
  const unsigned char* p = begin;
  if constexpr (Wide::kBytes > 0) {
    // One pass: the terminator is found by the same loads as the candidates, and the scan ends
    // at the pair that holds it; candidates after the terminator are dropped.
    constexpr std::ptrdiff_t kPair = 2 * Wide::kBytes;
    if (readable != nullptr) {
      for (; readable - p > kPair; p += kPair) {
        std::uint64_t candidates, zeros;
        wide.Pair(p, candidates, zeros);
        if ((candidates | zeros) == 0) continue;
        if (zeros != 0) candidates &= (zeros & (0 - zeros)) - 1;
        if (const unsigned char* hit = examineBits(p, candidates)) return hit;
        if (zeros != 0) return nullptr;
      }
    }
  }
  // The text is taken window by window, so a hit near the start costs no walk to the terminator
  // (the hit enumeration restarts the scan after every hit).
  for (;;) {
    const unsigned char* end = p + ::strnlen(reinterpret_cast<const char*>(p), kWindow);
    // A block's loads read p[0..kBytes]: within the window and the byte after it (at worst the
    // terminator).
    if constexpr (Wide::kBytes > 0) {
      for (; end - p >= Wide::kBytes; p += Wide::kBytes)
        if (const unsigned char* hit = examineBits(p, wide.Mask(p))) return hit;
    }
    if constexpr (Narrow::kBytes > 0 && Wide::kBytes > Narrow::kBytes) {
      if (end - p >= Narrow::kBytes) {
        if (const unsigned char* hit = examineBits(p, narrow.Mask(p))) return hit;
        p += Narrow::kBytes;
      }
    }
    for (; p < end; ++p)
      if (filter.Passes(p))
        if (const unsigned char* hit = examine(p)) return hit;
    if (*end == 0) return nullptr;
  }
}

// Find in mode Mode for a non-empty keyword (text k, mask m).
template <class WideOps, int Mode>
const unsigned char* ScanWindows(const unsigned char* begin, const unsigned char* readable,
                                 const unsigned char* k, const unsigned char* m) {
  const CandidateFilter filter = MakeFilter<Mode>(k, m);
  return WithBlockShape<Mode>(filter, [&](auto folds, auto second) {
    return ScanWindowsWith<WideOps, Mode, folds, second>(filter, begin, readable, k, m);
  });
}

}  // namespace

}  // namespace yuzulog
