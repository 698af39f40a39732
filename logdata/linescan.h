// The scans that cutting a log into messages rests on: the end of a line (the first CR, LF or
// NUL), the next line that may start a header, and the test of a header's first 22 bytes. They
// touch every byte of every loaded file, or run once for every message, so each has a block form
// next to the byte loop it must agree with.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace yuzulog {

// The bytes of line 1 that recognise a header: "nnnnn/nnnnn AAAnnnnn  " (n a digit, A a capital).
constexpr int kHeaderPatternLength = 22;

// Whether the 22 bytes at p have the header pattern, one byte at a time; bufferLast is the final
// NUL of the buffer, and a byte beyond it counts as NUL. A NUL, CR or LF fits no column.
inline bool IsHeaderPatternPlain(const char* p, const char* bufferLast) {
  for (int i = 0; i < kHeaderPatternLength; ++i) {
    const unsigned char b = p + i <= bufferLast ? static_cast<unsigned char>(p[i]) : 0;
    bool ok;
    if (i == 5)
      ok = b == '/';
    else if (i == 11 || i == 20 || i == 21)
      ok = b == ' ';
    else if (i >= 12 && i <= 14)
      ok = b >= 'A' && b <= 'Z';
    else
      ok = b >= '0' && b <= '9';  // columns 0-4, 6-10 and 15-19
    if (!ok) return false;
  }
  return true;
}

// The same answer. Where all 22 bytes lie before the final NUL they are tested as two overlapping
// blocks of sixteen (columns 0-15 and 6-21): each column's byte must lie in its own range, the
// digits, the capitals, or the one byte '/' or ' ', and (b - low) <= width tests that for every
// column at once.
inline bool IsHeaderPattern(const char* p, const char* bufferLast) {
#if defined(__SSE2__)
  if (bufferLast - p >= kHeaderPatternLength) {
    const __m128i lowA = _mm_setr_epi8('0', '0', '0', '0', '0', '/', '0', '0', '0', '0', '0', ' ',
                                       'A', 'A', 'A', '0');
    const __m128i widthA = _mm_setr_epi8(9, 9, 9, 9, 9, 0, 9, 9, 9, 9, 9, 0, 25, 25, 25, 9);
    const __m128i lowB = _mm_setr_epi8('0', '0', '0', '0', '0', ' ', 'A', 'A', 'A', '0', '0', '0',
                                       '0', '0', ' ', ' ');
    const __m128i widthB = _mm_setr_epi8(9, 9, 9, 9, 9, 0, 25, 25, 25, 9, 9, 9, 9, 9, 0, 0);
    const __m128i a = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lowA);
    const __m128i b = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 6)), lowB);
    const __m128i okA = _mm_cmpeq_epi8(_mm_min_epu8(a, widthA), a);
    const __m128i okB = _mm_cmpeq_epi8(_mm_min_epu8(b, widthB), b);
    return _mm_movemask_epi8(_mm_and_si128(okA, okB)) == 0xFFFF;
  }
#endif
  return IsHeaderPatternPlain(p, bufferLast);
}

// The first CR, LF or NUL at or after p, scanned a byte at a time; a NUL must stand at or after p.
inline const char* FindLineEndPlain(const char* p) {
  while (*p != '\0' && *p != '\r' && *p != '\n')
    ++p;
  return p;
}

// The same answer as FindLineEndPlain; end is one past the last byte that may be read, and a NUL
// stands before it. Sixteen bytes are compared at a time while sixteen remain before end, so no
// load reaches past the buffer; the tail goes byte by byte.
inline const char* FindLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i nul = _mm_setzero_si128();
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)),
                                     _mm_cmpeq_epi8(v, nul));
    const int mask = _mm_movemask_epi8(hit);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#else
  (void)end;
#endif
  return FindLineEndPlain(p);
}

// The first byte at or after p that is a NUL or the first byte of a line that starts with an
// ASCII digit; buffer is where the text starts, end as for FindLineEnd. A line starts at buffer,
// after an LF, and after a CR that no LF follows; the byte after a CR LF's CR is the LF, never a
// digit, so "after a CR or an LF" is the whole test.
inline const char* FindHeaderCandidatePlain(const char* p, const char* buffer) {
  for (;; ++p) {
    const unsigned char b = static_cast<unsigned char>(*p);
    if (b == 0) return p;
    if (b >= '0' && b <= '9' && (p == buffer || p[-1] == '\r' || p[-1] == '\n')) return p;
  }
}

// The same answer, sixteen bytes at a time: each byte is tested for a digit, the byte before it
// for a line end, and itself for the NUL.
inline const char* FindHeaderCandidate(const char* p, const char* buffer, const char* end) {
#if defined(__SSE2__)
  if (p == buffer) {  // no byte before the first one
    if (*p == '\0' || (*p >= '0' && *p <= '9')) return p;
    ++p;
  }
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i nul = _mm_setzero_si128();
  const __m128i zero = _mm_set1_epi8('0');
  const __m128i nine = _mm_set1_epi8(9);
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 1));
    const __m128i offset = _mm_sub_epi8(v, zero);  // a digit becomes 0..9, all else wraps higher
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(offset, nine), offset);
    const __m128i lineStart = _mm_or_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(before, lf));
    const __m128i hit = _mm_or_si128(_mm_and_si128(digit, lineStart), _mm_cmpeq_epi8(v, nul));
    const int mask = _mm_movemask_epi8(hit);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#else
  (void)end;
#endif
  return FindHeaderCandidatePlain(p, buffer);
}

namespace detail {
// FindHeaderCandidate 64 bytes at a time (linescan_avx2.cpp; only in builds for x86-64, and only
// to be called where the processor has AVX2).
const char* FindHeaderCandidateAvx2(const char* p, const char* buffer, const char* end);
}  // namespace detail

// A form of FindHeaderCandidate: the same arguments and the same answer.
using HeaderCandidateFinder = const char* (*)(const char* p, const char* buffer, const char* end);
// The fastest form this processor runs (logdata.cpp).
HeaderCandidateFinder FastestHeaderCandidateFinder();

// Past a line end at p: one CR, then one LF, each if present.
inline const char* SkipLineEnd(const char* p) {
  if (*p == '\r') ++p;
  if (*p == '\n') ++p;
  return p;
}

}  // namespace yuzulog
