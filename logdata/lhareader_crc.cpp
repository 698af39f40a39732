// The LHA CRC-16 (reflected polynomial 0xA001): sixteen table lookups a step, or carry-less
// multiplication where the processor has it. Every member's data and the headers of levels 1-3
// are checked with it.
#include <cstddef>
#include <cstdint>

#include "logdata/lhareader.h"
#include "logdata/lhareader_internal.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define YUZULOG_LHA_CLMUL 1
#endif

namespace yuzulog::lha {
namespace {

using detail::LoadLe64;

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
// The same CRC by carry-less multiplication, 64 bytes a step, where the processor has it.
//
// A 16-byte register x holds a polynomial of degree < 128 in the CRC's bit order: bit k (of the
// bytes as loaded, little-endian) is the coefficient of x^(127-k), so the first bit of the data
// is the highest power. Appending the next 16 bytes D makes it x * x^128 + D; modulo P(x) =
// x^16 + x^15 + x^2 + 1 that is hi * (x^192 mod P) + lo * (x^128 mod P) + D, where hi and lo are
// the register's two halves, each a polynomial of degree < 64. Products stay below degree 80, so
// the register never overflows. A carry-less product of two halves in this bit order comes out
// one power too high, so the constants are x^191 and x^127 mod P (to move n bits, x^(n+63) and
// x^(n-1)). At the end the register holds data whose CRC is the CRC of everything so far, and
// the tables finish the job.
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

// The register times x^n (n: the bits it moves forward, 128 or 512), modulo P: its halves times
// the constants of k, made by FoldConstants(n).
__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i x, __m128i k) {
  const __m128i hi = _mm_clmulepi64_si128(x, k, 0x00);  // first 8 bytes: the higher powers
  const __m128i lo = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(hi, lo);
}

__attribute__((target("pclmul,sse2"))) inline __m128i FoldConstants(unsigned n) {
  return _mm_set_epi64x(static_cast<long long>(ReversedPowerModP(n - 1)),
                        static_cast<long long>(ReversedPowerModP(n + 63)));
}

__attribute__((target("pclmul,sse2"))) inline __m128i Load(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

__attribute__((target("pclmul,sse2"))) std::uint16_t Crc16Clmul(const unsigned char* p,
                                                                std::size_t size,
                                                                std::uint16_t crc) {
  const __m128i k128 = FoldConstants(128);
  // The CRC so far goes into the first 16 bits, as the table loop does it.
  __m128i x = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(crc));
  p += 16;
  size -= 16;
  // Four registers a step, each moved 64 bytes forward: the multiplications of one step do not
  // wait for each other. At the end the four are folded into one, in their order.
  if (size >= 48 + 64) {
    const __m128i k512 = FoldConstants(512);
    __m128i x1 = Load(p), x2 = Load(p + 16), x3 = Load(p + 32);
    p += 48;
    size -= 48;
    while (size >= 64) {
      x = _mm_xor_si128(Fold(x, k512), Load(p));
      x1 = _mm_xor_si128(Fold(x1, k512), Load(p + 16));
      x2 = _mm_xor_si128(Fold(x2, k512), Load(p + 32));
      x3 = _mm_xor_si128(Fold(x3, k512), Load(p + 48));
      p += 64;
      size -= 64;
    }
    x = _mm_xor_si128(Fold(x, k128), x1);
    x = _mm_xor_si128(Fold(x, k128), x2);
    x = _mm_xor_si128(Fold(x, k128), x3);
  }
  while (size >= 16) {
    x = _mm_xor_si128(Fold(x, k128), Load(p));
    p += 16;
    size -= 16;
  }
  unsigned char folded[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(folded), x);
  return Crc16Tables(p, size, Crc16Tables(folded, 16, 0));
}
#endif

}  // namespace

std::uint16_t Crc16(const void* data, std::size_t size, std::uint16_t crc) {
  const auto* p = static_cast<const unsigned char*>(data);
#if defined(YUZULOG_LHA_CLMUL)
  if (size >= kClmulMinimum && UseClmul()) return Crc16Clmul(p, size, crc);
#endif
  return Crc16Tables(p, size, crc);
}

}  // namespace yuzulog::lha
