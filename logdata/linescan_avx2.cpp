// The header candidate scan 64 bytes at a time. This file alone is compiled for AVX2; Parse calls
// in only when the processor has it. It includes nothing of the baseline scans, so no inline
// function compiled here can stand in for a baseline one at link time.
#include <immintrin.h>

namespace yuzulog::detail {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

const char* FindHeaderCandidateAvx2(const char* p, const char* buffer, const char* end) {
  if (p == buffer) {  // no byte before the first one
    if (*p == '\0' || IsDigit(*p)) return p;
    ++p;
  }
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i nul = _mm256_setzero_si256();
  const __m256i zero = _mm256_set1_epi8('0');
  const __m256i nine = _mm256_set1_epi8(9);
  // Bytes at p that are a NUL or a digit after a CR or an LF; reads p[-1..31].
  auto hits = [&](const char* q) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q - 1));
    const __m256i offset = _mm256_sub_epi8(v, zero);  // a digit becomes 0..9, all else higher
    const __m256i digit = _mm256_cmpeq_epi8(_mm256_min_epu8(offset, nine), offset);
    const __m256i lineStart =
        _mm256_or_si256(_mm256_cmpeq_epi8(before, cr), _mm256_cmpeq_epi8(before, lf));
    return _mm256_or_si256(_mm256_and_si256(digit, lineStart), _mm256_cmpeq_epi8(v, nul));
  };
  while (end - p >= 64) {
    const __m256i h0 = hits(p);
    const __m256i h1 = hits(p + 32);
    const __m256i any = _mm256_or_si256(h0, h1);
    if (_mm256_testz_si256(any, any)) {
      p += 64;
      continue;
    }
    const unsigned long long mask =
        static_cast<unsigned>(_mm256_movemask_epi8(h0)) |
        static_cast<unsigned long long>(static_cast<unsigned>(_mm256_movemask_epi8(h1))) << 32;
    return p + __builtin_ctzll(mask);
  }
  // The last bytes one at a time; a NUL stands before end.
  for (;; ++p) {
    if (*p == '\0') return p;
    if (IsDigit(*p) && (p[-1] == '\r' || p[-1] == '\n')) return p;
  }
}

}  // namespace yuzulog::detail
