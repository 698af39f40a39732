// Any keyword and text in every scan mode: the fast search (AVX2 where the processor has it, and
// the 16-byte baseline) must give exactly the plain byte loop's answer, also when the scan restarts
// after each hit as the highlighting does, and also when it may read past the terminator: the
// input's bytes after its first NUL, then copies of the keyword, stand there. The pair search over
// whole stretches must give its byte loop's answer and find a pair before the terminator of every
// text with a hit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "logdata/motcle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // First byte: the keyword length (up to 15); then the keyword, then the text.
  const std::size_t keyLength = std::min<std::size_t>(data[0] & 0x0F, size - 1);
  const std::string key(reinterpret_cast<const char*>(data + 1), keyLength);
  std::string block(reinterpret_cast<const char*>(data + 1 + keyLength), size - 1 - keyLength);
  if (block.find('\0') == std::string::npos) block += '\0';
  const std::string text = block.substr(0, block.find('\0'));
  while (block.size() < text.size() + 150)
    block += key.empty() ? std::string("x") : key;
  const char* const readable = block.data() + block.size();
  const yuzulog::TMotCle motcle(key);
  // Every mode, and one number past them, which finds nothing.
  for (int number = 0; number <= yuzulog::kScanModeCount; ++number) {
    const auto mode = static_cast<yuzulog::ScanMode>(number);
    if (motcle.KeyLength > 0) {
      const bool hit = motcle.FindPlain(block.c_str(), mode) != nullptr;
      for (int pair = 0; pair < std::max(motcle.KeyLength - 1, 1); ++pair) {
        const char* found = motcle.FindPair(block.c_str(), readable, pair, mode);
        if (found != motcle.FindPairPlain(block.c_str(), readable, pair, mode)) __builtin_trap();
        if (hit && found >= block.c_str() + text.size()) __builtin_trap();
      }
    }
    const char* p = block.c_str();
    for (int round = 0; round < 64; ++round) {
      const char* fast = motcle.Find(p, mode);
      const char* plain = motcle.FindPlain(p, mode);
      if (fast != plain) __builtin_trap();
      if (motcle.FindBaseline(p, mode) != plain) __builtin_trap();
      if (motcle.Find(p, mode, readable) != plain) __builtin_trap();
      if (motcle.FindBaseline(p, mode, readable) != plain) __builtin_trap();
      if (!fast) break;
      if (yuzulog::MatchedLength(fast, motcle.KeyLength, mode) > text.size()) __builtin_trap();
      // The next start: the next character boundary after the hit.
      const auto b = static_cast<unsigned char>(*fast);
      const bool lead = (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
      p = fast + (lead && fast[1] != '\0' ? 2 : 1);
    }
  }
  return 0;
}
