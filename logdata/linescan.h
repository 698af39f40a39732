// Finding the end of a line: the first CR, LF or NUL byte. Every line of every loaded file is
// scanned this way, so it is the innermost loop of loading.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace yuzulog {

// The first CR, LF or NUL at or after p, scanned a byte at a time; a NUL must stand somewhere
// after p.
inline const char* FindLineEndPlain(const char* p) {
  while (*p != '\0' && *p != '\r' && *p != '\n')
    ++p;
  return p;
}

// The same answer as FindLineEndPlain; end is one past the last byte that may be read, and a NUL
// stands before it. Sixteen bytes are compared at a time while sixteen bytes
// remain before end, so no load reaches past the buffer; the tail goes byte by byte.
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

// Past a line end at p: one CR, then one LF, each if present.
inline const char* SkipLineEnd(const char* p) {
  if (*p == '\r') ++p;
  if (*p == '\n') ++p;
  return p;
}

}  // namespace yuzulog
