// The message as the rich-text view holds it: decoded from code page 932, each line end (CR LF,
// a lone CR or a lone LF) one line break. Search hits are byte offsets into the code page 932
// text; the view selects characters, so every offset is converted to the position of the same
// character in the decoded text before anything is formatted.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace yuzulog {

// The text the rich-text view shows for cp932 (UTF-8, "\n" for every line end).
std::string RichTextOf(std::string_view cp932);

// Converts hit boundaries (sorted byte offsets from the start of cp932, as MergeHitRanges gives
// them: even entries start a hit, odd entries end it) to positions in RichTextOf(cp932) counted
// in UTF-16 code units, the unit of the view's positions. A boundary inside a two-byte character
// or a CR LF pair widens its hit to the whole character; offsets past the end give the end.
std::vector<int> RichTextPositions(std::string_view cp932,
                                   std::span<const std::int64_t> boundaries);

}  // namespace yuzulog
