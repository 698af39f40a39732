// Code page 932 (Microsoft's Shift-JIS table) to and from UTF-8. The only place that converts text:
// log text stays code page 932 bytes everywhere else and is decoded only where a person reads it.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace yuzulog {

// Thrown by a conversion when the system cannot provide the code page 932 converter.
class Cp932Unavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Prepares the conversions below, which all rest on the system's converter: true when they are
// ready. False, with why (UTF-8) in reason, when the system cannot provide the converter (it may
// fail to load under memory pressure); every conversion then throws Cp932Unavailable rather than
// turn each character into U+FFFD. Done once on the first conversion; a program calls it at
// start to stop with a clear message before it shows anything.
bool PrepareCp932(std::string* reason = nullptr);

// Appends the UTF-8 form of code page 932 bytes to out. Bad bytes become U+FFFD: a lead byte
// (0x81-0x9F, 0xE0-0xFC) with a valid second byte (0x40-0x7E, 0x80-0xFC) is one pair and an
// unmapped pair one U+FFFD; a lead byte without a valid second byte is one U+FFFD and the next
// byte is read on its own; the single bytes 0x80, 0xA0 and 0xFD-0xFF are each one U+FFFD.
void AppendCp932AsUtf8(std::string_view cp932, std::string& out);
// The bytes (1 or 2) of the character at text[i] as the decoder above reads it; each such
// character decodes to exactly one character of the Basic Multilingual Plane.
std::size_t Cp932CharLength(std::string_view text, std::size_t i);
std::string Cp932ToUtf8(std::string_view cp932);

// Result of encoding UTF-8 text to code page 932.
struct Cp932Encoding {
  std::string bytes;       // the encoded text (characters without a form are left out)
  std::string unmappable;  // UTF-8 of the characters that have no code page 932 form, in order
  bool invalidUtf8 = false;
  bool ok() const { return unmappable.empty() && !invalidUtf8; }
};

// Encodes UTF-8 text. The JIS-style forms that text typed on this platform may carry (U+301C wave
// dash, U+2014, U+2016, U+2212, U+00A2, U+00A3, U+00AC, U+00A6) map to the code page 932
// characters that stand for them.
Cp932Encoding Utf8ToCp932(std::string_view utf8);

// True when the bytes are valid UTF-8 (settings and list files are read as code page 932 when not).
bool IsValidUtf8(std::string_view text);
// The length of the valid UTF-8 sequence that starts at text[i]; 0 when none starts there.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

// Text of a settings or list file: UTF-8 as it stands, or decoded from code page 932 when it is
// not valid UTF-8.
std::string SettingsTextToUtf8(std::string_view fileText);

}  // namespace yuzulog
