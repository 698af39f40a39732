// Text put into HTML or XML, as element content or as a quoted attribute value.
#pragma once

#include <string>
#include <string_view>

namespace yuzulog {

// The entity that stands for c in markup; empty for a byte that stands for itself. For a writer
// that goes through its text once and cannot afford a string per run.
constexpr std::string_view MarkupEntity(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    default:
      return {};
  }
}

// text with & < > and " as entities: what makes it markup, ends a quoted attribute or (">" after
// "]]") is not allowed in XML content. Bytes of 0x80 and up pass as they are (UTF-8 stays whole).
inline std::string MarkupEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (const std::string_view entity = MarkupEntity(c); !entity.empty())
      out += entity;
    else
      out += c;
  }
  return out;
}

}  // namespace yuzulog
