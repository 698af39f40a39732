#include "logdata/motcle.h"

#include <algorithm>

#include "common/sjis.h"
#include "logdata/avx2.h"
#include "logdata/logdata.h"
#include "logdata/logmessage.h"
#include "logdata/motcle_scan.h"

namespace yuzulog {

namespace {

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

const char* TMotCle::FindPlain(const char* text, ScanMode mode) const {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* hit =
      WithScanMode(mode, static_cast<const unsigned char*>(nullptr),
                   [&](auto m) { return ScanPlain<m>(s, KeyText(), KeyMask()); });
  return reinterpret_cast<const char*>(hit);
}

bool UseAvx2Scans() {
#if defined(YUZULOG_AVX2_SCAN)
  static const bool avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return avx2;
#else
  return false;
#endif
}

const char* TMotCle::Find(const char* text, ScanMode mode, const char* readable) const {
#if defined(YUZULOG_AVX2_SCAN)
  // An empty keyword hits the first start position: nothing to search for.
  if (UseAvx2Scans() && KeyText()[0] != 0)
    return reinterpret_cast<const char*>(detail::FindAvx2(
        reinterpret_cast<const unsigned char*>(text),
        reinterpret_cast<const unsigned char*>(readable), KeyText(), KeyMask(), mode));
#endif
  return FindBaseline(text, mode, readable);
}

const char* TMotCle::FindBaseline(const char* text, ScanMode mode, const char* readable) const {
  const unsigned char* k = KeyText();
  const unsigned char* m = KeyMask();
  // An empty keyword hits the first start position: nothing to search for.
  if (k[0] == 0) return FindPlain(text, mode);
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  const auto* r = reinterpret_cast<const unsigned char*>(readable);
  const unsigned char* hit =
      WithScanMode(mode, static_cast<const unsigned char*>(nullptr),
                   [&](auto mo) { return ScanWindows<BaselineOps, mo>(s, r, k, m); });
  return reinterpret_cast<const char*>(hit);
}

const char* TMotCle::FindPair(const char* from, const char* end, int pair, ScanMode mode) const {
  const auto* f = reinterpret_cast<const unsigned char*>(from);
  const auto* e = reinterpret_cast<const unsigned char*>(end);
  const unsigned char* k = KeyText();
  const unsigned char* m = KeyMask();
#if defined(YUZULOG_AVX2_SCAN)
  if (UseAvx2Scans())
    return reinterpret_cast<const char*>(detail::FindPairAvx2(f, e, k, m, pair, mode));
#endif
  return reinterpret_cast<const char*>(
      WithScanMode(mode, e, [&](auto mo) { return ScanPair<BaselineOps, mo>(f, e, k, m, pair); }));
}

const char* TMotCle::FindPairPlain(const char* from, const char* end, int pair,
                                   ScanMode mode) const {
  const auto* f = reinterpret_cast<const unsigned char*>(from);
  const auto* e = reinterpret_cast<const unsigned char*>(end);
  return reinterpret_cast<const char*>(WithScanMode(
      mode, e, [&](auto mo) { return ScanPairPlain<mo>(f, e, KeyText(), KeyMask(), pair); }));
}

KeyPair TMotCle::RarestPair(std::string_view sample, ScanMode mode) const {
  // How often each byte follows each byte in the sample: the count of byte b after byte a at
  // a * 256 + b.
  std::vector<std::uint32_t> follows(256 * 256);
  const auto* s = reinterpret_cast<const unsigned char*>(sample.data());
  for (std::size_t j = 0; j + 1 < sample.size(); ++j)
    ++follows[s[j] * 256u + s[j + 1]];
  const unsigned char* k = KeyText();
  const unsigned char* m = KeyMask();
  return WithScanMode(mode, KeyPair{}, [&](auto mo) {
    KeyPair best{0, UINT64_MAX};
    for (int i = 0; i < std::max(KeyLength - 1, 1) && i < KeyLength; ++i) {
      // The block tests of FindPair let through what this filter lets through.
      const CandidateFilter filter = MakeFilter<mo>(k + i, m + i, IsSecondByteAt(k, i));
      std::uint64_t weight = 0;
      for (unsigned first = 0; first < 256; ++first) {
        if ((first | filter.Or0) != filter.Target0) continue;
        for (unsigned second = 0; second < 256; ++second) {
          const unsigned char pair[2] = {static_cast<unsigned char>(first),
                                         static_cast<unsigned char>(second)};
          if (filter.Passes(pair)) weight += follows[first * 256 + second];
        }
      }
      if (weight < best.Weight) best = {i, weight};
    }
    return best;
  });
}

std::size_t MatchedLength(const char* h, std::int32_t keyLength, ScanMode mode) {
  const auto* t = reinterpret_cast<const unsigned char*>(h);
  const auto* start = t;
  if (mode == ScanMode::ExactIgnoringLineBreaks || mode == ScanMode::FoldedIgnoringLineBreaks) {
    for (std::int32_t i = 0; i < keyLength; ++i) {
      while (IsLineBreak(*t))
        ++t;
      ++t;
    }
  } else if (mode == ScanMode::ExactIgnoringBlanks || mode == ScanMode::FoldedIgnoringBlanks) {
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

bool Conditions::Evaluate(const char* text, ScanMode mode, const char* readable) const {
  for (const ConditionItem& item : FItems) {
    bool holds = false;
    for (const TMotCle& key : item.Keys) {
      if (key.Find(text, mode, readable) != nullptr) {
        holds = true;
        break;
      }
    }
    if (!holds) return false;
  }
  return true;
}

bool TLogMessage::Matches(const Conditions& conditions, ScanMode scanMode,
                          bool includeHeader) const {
  // The text lies in its file's buffer, which the scan may read to its end.
  const char* readable = Owner != nullptr ? Owner->Buffer() + Owner->BufferSize() : nullptr;
  return conditions.Evaluate(includeHeader ? HeadStart : BodyStart, scanMode, readable);
}

void EnumerateHits(const Conditions& conditions, const char* body, ScanMode mode,
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
