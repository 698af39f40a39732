// The link scanners at every position of arbitrary bytes: none may read past its range, and every
// link found must lie inside it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "htmlview/linkscan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  std::string target;
  for (std::size_t p = 0; p < size; ++p) {
    const std::size_t k = yuzulog::FindLink(text + p, size - p, target);
    if (k > size - p || (k > 0 && target.empty())) std::abort();
    if (text[p] == '@') {
      // Every start of the range the page generator may hand over, the start of the text first.
      for (std::size_t from : {std::size_t{0}, p / 2, p}) {
        std::size_t local = 0;
        const std::size_t b =
            yuzulog::FindBareAddress(text + from, text + p, size - p, local, target);
        if (b > size - p || (b > 0 && (local == 0 || local > p - from))) std::abort();
      }
    }
  }
  return 0;
}
