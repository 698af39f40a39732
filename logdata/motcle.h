// The keyword matcher: a compiled search keyword (TMotCle), its scan over zero-terminated
// Shift-JIS text in six scan modes, the condition list that a search builds from its fields, and
// the enumeration of every hit for highlighting. Everything works on the raw code page 932 bytes
// and nothing allocates while scanning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace yuzulog {

// How the scan compares (exactly, or with half-width letters folded) and which bytes of the text
// it skips. The values are the modes' numbers 0-5; any other value finds nothing.
enum class ScanMode : std::uint8_t {
  Exact = 0,                     // every byte significant
  Folded = 1,                    //
  ExactIgnoringLineBreaks = 2,   // CR and LF skipped
  FoldedIgnoringLineBreaks = 3,  //
  ExactIgnoringBlanks = 4,       // CR, LF, tab, space and full-width space skipped
  FoldedIgnoringBlanks = 5,      //
};
constexpr int kScanModeCount = 6;

// A pair of adjacent keyword bytes (see TMotCle::FindPair) and how many positions of a sample of
// the text to be searched pass FindPair's first test for it: lower is rarer.
struct KeyPair {
  int Offset = 0;
  std::uint64_t Weight = 0;
};

class TMotCle {
 public:
  // Compiles the keyword's bytes (an empty keyword is accepted).
  explicit TMotCle(std::string_view key);
  TMotCle(TMotCle&&) noexcept = default;
  TMotCle& operator=(TMotCle&&) noexcept = default;

  std::int32_t KeyLength = 0;
  // The keyword's bytes and one mask byte per keyword byte, each followed by at least four zero
  // bytes. A text byte t equals keyword byte k under mask m when ((t ^ k) & m) == 0; the mask is
  // 0xDF only for half-width ASCII letters that are not the second byte of a double-byte
  // character, so only those fold.
  const unsigned char* KeyText() const { return FStorage.get() + FHalf; }
  const unsigned char* KeyMask() const { return FStorage.get(); }

  // The first start position in text (zero-terminated; the terminator is the only bound and is
  // never read past) at which the keyword matches in the given mode, or nullptr. Start positions
  // lie on character boundaries: a lead byte (0x80-0x9F, 0xE0-0xFF) steps over two bytes. In
  // modes 4 and 5 the position returned may be a blank that the attempt skipped.
  // A candidate search over the first keyword bytes, then the exact attempt; always the same
  // answer as FindPlain.
  //
  // readable, when not null, is one past the last byte of the block that holds the text (a
  // message's file buffer): the search may then load bytes after the terminator, up to but not
  // including readable, and so find the terminator with the same loads as the candidates. The
  // answer is the same either way.
  const char* Find(const char* text, ScanMode mode, const char* readable = nullptr) const;
  // The same answer by the candidate search 16 bytes at a time, the one Find takes where the
  // processor lacks AVX2 (or the build is not for x86-64).
  const char* FindBaseline(const char* text, ScanMode mode, const char* readable = nullptr) const;
  // The same answer by the plain byte loop: every start position, one attempt each.
  const char* FindPlain(const char* text, ScanMode mode) const;

  // A test that whole stretches of text can pass over: the keyword's bytes from pair on, where
  // the rarest pair of adjacent bytes starts. The first position c in [from, end - 1) where they
  // stand as an attempt in mode compares them holds them: c[0] equals keyword byte pair as the
  // mode compares, and each later keyword byte equals the byte the attempt compares next, past
  // the bytes it skips there (a walk that reaches end holds). So every hit in a text that starts
  // at or after from has such a position before its terminator, and a text without one holds
  // no hit. Every byte in [from, end) is data (a NUL ends nothing); end - 1 must be readable,
  // and nothing after it is read. end when there is none. For a non-empty keyword and
  // 0 <= pair < max(KeyLength - 1, 1).
  const char* FindPair(const char* from, const char* end, int pair, ScanMode mode) const;
  // The same answer, every position tested one at a time.
  const char* FindPairPlain(const char* from, const char* end, int pair, ScanMode mode) const;
  // The pair for FindPair that the sample passes least often in mode: positions that hold the
  // pair's first byte followed by its second or by a byte the mode may skip before it. Each of
  // them costs FindPair a closer look.
  KeyPair RarestPair(std::string_view sample, ScanMode mode) const;

 private:
  // Mask in the first FHalf bytes, text in the second FHalf bytes, zero-filled.
  std::unique_ptr<unsigned char[]> FStorage;
  std::size_t FHalf = 0;
};

// The number of text bytes, counted from the hit position h that Find returned, that a hit of a
// keyword of keyLength bytes covers (the skipped line breaks and blanks included).
std::size_t MatchedLength(const char* h, std::int32_t keyLength, ScanMode mode);

// One item of a condition list: a simple keyword, or the alternatives of one compound keyword
// (one of them must be found; no alternatives means the item never holds).
struct ConditionItem {
  bool Compound = false;
  std::vector<TMotCle> Keys;  // exactly one for a simple keyword
};

// The ordered, owning list of keywords a search looks for: every item must hold.
class Conditions {
 public:
  void Clear() { FItems.clear(); }
  bool Empty() const { return FItems.empty(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  const std::vector<ConditionItem>& Items() const { return FItems; }

  void AddKeyword(TMotCle key);
  void AddCompound(std::vector<TMotCle> alternatives);

  // True when every item holds in text (zero-terminated), tested in order and stopping at the
  // first that does not; an empty list holds for every text. readable as for TMotCle::Find.
  bool Evaluate(const char* text, ScanMode mode, const char* readable = nullptr) const;

 private:
  std::vector<ConditionItem> FItems;
};

// One keyword occurrence: its start in the text and the number of bytes it covers.
struct KeywordHit {
  const char* Position;
  std::size_t Length;
};

// Every hit of every keyword of the list in a body that starts at body and ends at its NUL,
// keyword by keyword (compound alternatives in their order), each keyword's hits ascending. After
// a hit at h the next scan starts at the next character boundary after h, so every hit that
// starts inside the body is listed and no scan starts inside a double-byte character.
void EnumerateHits(const Conditions& conditions, const char* body, ScanMode mode,
                   std::vector<KeywordHit>& hits);

}  // namespace yuzulog
