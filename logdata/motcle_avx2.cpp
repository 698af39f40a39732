// The candidate search 32 bytes at a time. This file alone is compiled for AVX2; TMotCle::Find
// calls in only when the processor has it.
#include "logdata/motcle_scan.h"

namespace yuzulog::detail {

const unsigned char* FindAvx2(const unsigned char* text, const unsigned char* readable,
                              const unsigned char* k, const unsigned char* m, ScanMode mode) {
  return WithScanMode(mode, static_cast<const unsigned char*>(nullptr),
                      [&](auto mo) { return ScanWindows<Avx2Ops, mo>(text, readable, k, m); });
}

const unsigned char* FindPairAvx2(const unsigned char* from, const unsigned char* end,
                                  const unsigned char* k, const unsigned char* m, int pair,
                                  ScanMode mode) {
  return WithScanMode(mode, end,
                      [&](auto mo) { return ScanPair<Avx2Ops, mo>(from, end, k, m, pair); });
}

}  // namespace yuzulog::detail
