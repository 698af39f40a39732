// Text put into HTML or XML, as element content or as a quoted attribute value.
#pragma once

#include <string>
#include <string_view>

namespace yuzulog {

// text with & < > and " as entities: what makes it markup, ends a quoted attribute or (">" after
// "]]") is not allowed in XML content. Bytes of 0x80 and up pass as they are (UTF-8 stays whole).
inline std::string MarkupEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace yuzulog
