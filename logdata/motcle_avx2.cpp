// The candidate search 32 bytes at a time. This file alone is compiled for AVX2; TMotCle::Find
// calls in only when the processor has it.
#include "logdata/motcle_scan.h"

namespace yuzulog::detail {

const unsigned char* FindAvx2(const unsigned char* text, const unsigned char* k,
                              const unsigned char* m, int mode) {
  switch (mode) {
    case 0:
      return ScanWindows<Block<Avx2Ops>, 0>(text, k, m);
    case 1:
      return ScanWindows<Block<Avx2Ops>, 1>(text, k, m);
    case 2:
      return ScanWindows<Block<Avx2Ops>, 2>(text, k, m);
    case 3:
      return ScanWindows<Block<Avx2Ops>, 3>(text, k, m);
    case 4:
      return ScanWindows<Block<Avx2Ops>, 4>(text, k, m);
    case 5:
      return ScanWindows<Block<Avx2Ops>, 5>(text, k, m);
    default:
      return nullptr;
  }
}

}  // namespace yuzulog::detail
