// Byte classes of Shift-JIS (code page 932) text. Each reader of log text states which bytes it
// takes as the first byte of a two-byte character; the classes below name those choices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace yuzulog {

// A lead byte as the keyword matcher sees it: 0x80-0x9F and 0xE0-0xFF, 0x80 and 0xFD-0xFF included.
constexpr bool IsMatcherLeadByte(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
}

// A lead byte of code page 932 proper: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsSjisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A valid second byte of a two-byte character: 0x40-0x7E and 0x80-0xFC.
constexpr bool IsSjisTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

constexpr bool IsAsciiDigit(unsigned char b) {
  return b >= '0' && b <= '9';
}
constexpr bool IsAsciiUpper(unsigned char b) {
  return b >= 'A' && b <= 'Z';
}
constexpr bool IsAsciiLower(unsigned char b) {
  return b >= 'a' && b <= 'z';
}
constexpr bool IsAsciiLetter(unsigned char b) {
  return IsAsciiUpper(b) || IsAsciiLower(b);
}

// Folds only half-width ASCII letters, as every case-insensitive comparison of IDs, titles and
// handle names does.
constexpr unsigned char AsciiUpper(unsigned char b) {
  return IsAsciiLower(b) ? static_cast<unsigned char>(b - 0x20) : b;
}

// Equal byte strings when half-width ASCII letters are folded (file extensions, setting keys,
// command-line keys, IDs, link schemes).
constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(static_cast<unsigned char>(a[i])) !=
        AsciiUpper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

constexpr bool StartsWithIgnoringAsciiCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
}

}  // namespace yuzulog
