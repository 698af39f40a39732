// Which form the block scans take: the AVX2 files (motcle_avx2.cpp, linescan_avx2.cpp) are built
// only for x86-64 and may run only where the processor has AVX2.
#pragma once

namespace yuzulog {

// True when this build has the AVX2 scans and this processor runs them; decided on the first call.
bool UseAvx2Scans();

}  // namespace yuzulog
