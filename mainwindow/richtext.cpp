#include "mainwindow/richtext.h"

#include "platform/cp932.h"

namespace yuzulog {
namespace {

// The bytes of the unit at text[i] that the view shows as one character: a line end (CR LF
// included) or a character as the decoder reads it.
std::size_t UnitLength(std::string_view text, std::size_t i) {
  if (text[i] == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
  return Cp932CharLength(text, i);
}

}  // namespace

std::string RichTextOf(std::string_view cp932) {
  std::string out;
  std::size_t runStart = 0;
  std::size_t i = 0;
  while (i < cp932.size()) {
    if (cp932[i] != '\r') {
      i += Cp932CharLength(cp932, i);
      continue;
    }
    AppendCp932AsUtf8(cp932.substr(runStart, i - runStart), out);
    out += '\n';
    i += UnitLength(cp932, i);
    runStart = i;
  }
  AppendCp932AsUtf8(cp932.substr(runStart), out);
  return out;
}

std::vector<int> RichTextPositions(std::string_view cp932,
                                   std::span<const std::int64_t> boundaries) {
  std::vector<int> positions;
  positions.reserve(boundaries.size());
  std::size_t byte = 0;  // start of the unit at position chars
  int chars = 0;
  for (std::size_t k = 0; k < boundaries.size(); ++k) {
    const bool isEnd = k % 2 == 1;
    const auto target = static_cast<std::size_t>(boundaries[k] < 0 ? 0 : boundaries[k]);
    // Walk whole units up to the boundary; a unit that straddles it counts for an end only.
    while (byte < cp932.size()) {
      const std::size_t next = byte + UnitLength(cp932, byte);
      if (next > target && !(isEnd && byte < target)) break;
      byte = next;
      ++chars;
    }
    positions.push_back(chars);
  }
  return positions;
}

}  // namespace yuzulog
