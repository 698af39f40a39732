#include "logdata/motcle.h"

#include <algorithm>

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/sjis.h"
#include "logdata/logmessage.h"

namespace yuzulog {

namespace {

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

template <int Mode>
const unsigned char* ScanPlain(const unsigned char* s, const unsigned char* k,
                               const unsigned char* m) {
  while (*s != 0) {
    if constexpr (Mode >= 2) {
      if (IsLineBreak(*s)) {  // a line-break byte never starts a hit
        ++s;
        continue;
      }
    }
    if (Attempt<Mode>(s, k, m)) return s;
    if (IsMatcherLeadByte(*s)) {
      if (s[1] == 0) break;  // a lead byte before the terminator ends the scan
      s += 2;
    } else {
      ++s;
    }
  }
  return nullptr;
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

// The filter that every successful first compared byte c passes: c matches the first keyword
// byte and c[1] either matches the second or is a byte the attempt may skip first.
struct CandidateFilter {
  unsigned char Or0, Target0, Or1, Target1;
  bool TwoBytes;
  Between Skip;

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

#if defined(__SSE2__)
// Bit i set when position p + i passes the filter; reads p[0..16].
inline unsigned BlockMask(const unsigned char* p, const CandidateFilter& f) {
  const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i hit = _mm_cmpeq_epi8(_mm_or_si128(v0, _mm_set1_epi8(static_cast<char>(f.Or0))),
                               _mm_set1_epi8(static_cast<char>(f.Target0)));
  if (!f.TwoBytes || _mm_movemask_epi8(hit) == 0)
    return static_cast<unsigned>(_mm_movemask_epi8(hit));
  const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
  __m128i second = _mm_cmpeq_epi8(_mm_or_si128(v1, _mm_set1_epi8(static_cast<char>(f.Or1))),
                                  _mm_set1_epi8(static_cast<char>(f.Target1)));
  auto eq = [&](unsigned char b) {
    return _mm_cmpeq_epi8(v1, _mm_set1_epi8(static_cast<char>(b)));
  };
  if (f.Skip != Between::Nothing) second = _mm_or_si128(second, _mm_or_si128(eq(kCR), eq(kLF)));
  if (f.Skip == Between::Blanks)
    second = _mm_or_si128(second, _mm_or_si128(_mm_or_si128(eq(0x09), eq(0x20)), eq(0x81)));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(hit, second)));
}
#endif

}  // namespace

TMotCle::TMotCle(std::string_view key) {
  // The keyword is walked as a zero-terminated string: a NUL byte ends it, and KeyLength counts
  // only what is compared, so a hit's length never reaches past the text it was found in.
  key = key.substr(0, std::min(key.find('\0'), key.size()));
  KeyLength = static_cast<std::int32_t>(key.size());
  // The smallest multiple of 4 that is at least KeyLength + 4: both halves end in zero bytes.
  FHalf = 4 * ((key.size() + 7) / 4);
  FStorage = std::make_unique<unsigned char[]>(2 * FHalf);  // zero-filled
  unsigned char* mask = FStorage.get();
  unsigned char* text = mask + FHalf;
  bool afterLead = false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    const auto b = static_cast<unsigned char>(key[i]);
    text[i] = b;
    if (afterLead) {
      mask[i] = 0xFF;
      afterLead = false;
    } else if (IsMatcherLeadByte(b)) {
      mask[i] = 0xFF;
      afterLead = true;
    } else {
      mask[i] = IsAsciiLetter(b) ? 0xDF : 0xFF;
    }
  }
}

bool TMotCle::MatchAt(const char* s, int mode) const {
  const auto* t = reinterpret_cast<const unsigned char*>(s);
  switch (mode) {
    case 0:
      return Attempt<0>(t, KeyText(), KeyMask());
    case 1:
      return Attempt<1>(t, KeyText(), KeyMask());
    case 2:
      return Attempt<2>(t, KeyText(), KeyMask());
    case 3:
      return Attempt<3>(t, KeyText(), KeyMask());
    case 4:
      return Attempt<4>(t, KeyText(), KeyMask());
    case 5:
      return Attempt<5>(t, KeyText(), KeyMask());
    default:
      return false;
  }
}

const char* TMotCle::FindPlain(const char* text, int mode) const {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* hit = nullptr;
  switch (mode) {
    case 0:
      hit = ScanPlain<0>(s, KeyText(), KeyMask());
      break;
    case 1:
      hit = ScanPlain<1>(s, KeyText(), KeyMask());
      break;
    case 2:
      hit = ScanPlain<2>(s, KeyText(), KeyMask());
      break;
    case 3:
      hit = ScanPlain<3>(s, KeyText(), KeyMask());
      break;
    case 4:
      hit = ScanPlain<4>(s, KeyText(), KeyMask());
      break;
    case 5:
      hit = ScanPlain<5>(s, KeyText(), KeyMask());
      break;
    default:
      break;
  }
  return reinterpret_cast<const char*>(hit);
}

const char* TMotCle::Find(const char* text, int mode) const {
  switch (mode) {
    case 0:
      return FindFast<0>(text);
    case 1:
      return FindFast<1>(text);
    case 2:
      return FindFast<2>(text);
    case 3:
      return FindFast<3>(text);
    case 4:
      return FindFast<4>(text);
    case 5:
      return FindFast<5>(text);
    default:
      return nullptr;
  }
}

template <int Mode>
const char* TMotCle::FindFast(const char* text) const {
  const unsigned char* k = KeyText();
  const unsigned char* m = KeyMask();
  // An empty keyword hits the first start position: nothing to search for.
  if (k[0] == 0) return FindPlain(text, Mode);

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
    filter.Skip = IsMatcherLeadByte(k[0]) ? Between::Nothing : Between::Blanks;

  const auto* begin = reinterpret_cast<const unsigned char*>(text);
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

  // The text is taken window by window, so a hit near the start costs no walk to the terminator
  // (the hit enumeration restarts the scan after every hit).
  const unsigned char* p = begin;
  for (;;) {
    const unsigned char* end = p + ::strnlen(reinterpret_cast<const char*>(p), kWindow);
#if defined(__SSE2__)
    // Loads read p[0..16]: within the window and the byte after it (at worst the terminator).
    while (end - p >= 16) {
      unsigned bits = BlockMask(p, filter);
      while (bits != 0) {
        const unsigned char* c = p + __builtin_ctz(bits);
        bits &= bits - 1;
        if (const unsigned char* hit = examine(c)) return reinterpret_cast<const char*>(hit);
      }
      p += 16;
    }
#endif
    for (; p < end; ++p)
      if (filter.Passes(p))
        if (const unsigned char* hit = examine(p)) return reinterpret_cast<const char*>(hit);
    if (*end == 0) return nullptr;
  }
}

std::size_t MatchedLength(const char* h, std::int32_t keyLength, int mode) {
  const auto* t = reinterpret_cast<const unsigned char*>(h);
  const auto* start = t;
  if (mode == 2 || mode == 3) {
    for (std::int32_t i = 0; i < keyLength; ++i) {
      while (IsLineBreak(*t))
        ++t;
      ++t;
    }
  } else if (mode == 4 || mode == 5) {
    bool secondByte = false;
    for (std::int32_t i = 0; i < keyLength; ++i) {
      if (secondByte) {
        secondByte = false;
      } else {
        t = SkipBlanks(t);
        secondByte = IsMatcherLeadByte(*t);
      }
      ++t;
    }
  } else {
    return keyLength > 0 ? static_cast<std::size_t>(keyLength) : 0;
  }
  return static_cast<std::size_t>(t - start);
}

void Conditions::AddKeyword(TMotCle key) {
  ConditionItem item;
  item.Keys.push_back(std::move(key));
  FItems.push_back(std::move(item));
}

void Conditions::AddCompound(std::vector<TMotCle> alternatives) {
  ConditionItem item;
  item.Compound = true;
  item.Keys = std::move(alternatives);
  FItems.push_back(std::move(item));
}

bool Conditions::Evaluate(const char* text, int mode) const {
  for (const ConditionItem& item : FItems) {
    bool holds = false;
    for (const TMotCle& key : item.Keys) {
      if (key.Find(text, mode) != nullptr) {
        holds = true;
        break;
      }
    }
    if (!holds) return false;
  }
  return true;
}

bool TLogMessage::Matches(const Conditions& conditions, int scanMode, bool includeHeader) const {
  return conditions.Evaluate(includeHeader ? HeadStart : BodyStart, scanMode);
}

void EnumerateHits(const Conditions& conditions, const char* body, int mode,
                   std::vector<KeywordHit>& hits) {
  for (const ConditionItem& item : conditions.Items()) {
    for (const TMotCle& key : item.Keys) {
      const char* p = body;
      while (const char* h = key.Find(p, mode)) {
        hits.push_back({h, MatchedLength(h, key.KeyLength, mode)});
        // The next start position after h: never inside a double-byte character.
        const auto b = static_cast<unsigned char>(*h);
        p = IsMatcherLeadByte(b) && h[1] != 0 ? h + 2 : h + 1;
      }
    }
  }
}

}  // namespace yuzulog
