// Code page 932 to UTF-8 for exports: a table made once from the program's own decoder, so an
// export reads exactly what the windows show, but with what an archive needs besides: bytes that
// do not convert become 〓 (U+3013, the geta mark Japanese text has always used for a character
// that cannot be shown) instead of U+FFFD, and both the bytes that did not convert and the
// characters whose code page 932 form is not the only one are found and listed, so that nothing
// is replaced or normalised silently.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yuzulog {

// What the text holds besides plain convertible characters, at an offset in its source.
struct Cp932Exception {
  enum class Kind : std::uint8_t {
    Unconvertible,  // written as 〓
    NotUnique,      // converted, but another code page 932 form gives the same character
  };
  std::uint64_t Offset = 0;  // in the source file or archive member
  std::uint8_t Length = 0;   // 1 or 2
  std::array<char, 2> Bytes{};
  Kind What = Kind::Unconvertible;
  std::string_view SourceBytes() const { return {Bytes.data(), Length}; }
};

// How ASCII bytes are written into the output, besides being copied.
enum class Utf8Escape : std::uint8_t {
  None,  // as they stand (line ends kept)
  Json,  // inside a JSON string: quote, backslash and control bytes escaped
  Html,  // inside HTML text: & < > " as entities, CR LF and a lone CR as LF
};

class Cp932Table {
 public:
  // The table of the program's decoder (throws Cp932Unavailable as it does).
  static const Cp932Table& Get();

  // Appends the UTF-8 of cp932 to out, ASCII escaped as asked, each unconvertible sequence as
  // 〓. Sequences are cut as the program's decoder cuts them, so the output has one character per
  // character the windows show.
  void Append(std::string_view cp932, Utf8Escape escape, std::string& out) const;
  // The same into [out, outEnd): converts from the start of cp932 while there is room for one
  // more character (kMaxStep bytes), advances out and returns how many bytes of cp932 it took.
  std::size_t Convert(std::string_view cp932, Utf8Escape escape, char*& out,
                      const char* outEnd) const;
  static constexpr std::ptrdiff_t kMaxStep = 8;
  // Adds the exceptions of cp932 to found; baseOffset is the offset of cp932[0] in its source.
  void Scan(std::string_view cp932, std::uint64_t baseOffset,
            std::vector<Cp932Exception>& found) const;

  // The UTF-8 of one sequence of 1 or 2 bytes (〓 when it does not convert).
  std::string_view CharOf(std::string_view sequence) const;

 private:
  Cp932Table();
  // One entry per single byte and per lead/trail pair: up to 3 UTF-8 bytes (code page 932 decodes
  // only into the Basic Multilingual Plane), length 0 when it does not convert.
  struct Entry {
    std::array<char, 3> Utf8{};
    std::uint8_t Length = 0;
  };
  std::array<Entry, 256> FSingle{};
  std::vector<Entry> FPairs;  // (lead - 0x80) * 256 + trail

  // The scan and the conversion look up a byte of 0x80 and up together with the byte after it
  // (0 at the end of the text), index (byte - 0x80) * 256 + next: one lookup stands for the test
  // of both bytes, the choice between a pair and a single byte and the character, so that plain
  // text takes no branch that mixed text could mispredict besides ASCII or not.
  struct Step {
    std::array<char, 3> Utf8{};  // 〓 when the sequence does not convert
    std::uint8_t Info = 0;       // UTF-8 length, kTwoBytes when it is a pair
  };
  static constexpr std::uint8_t kTwoBytes = 4;
  std::vector<Step> FSteps;
  // What Scan reports for the sequence there.
  static constexpr std::uint8_t kPlainPair = 0, kPlainSingle = 1, kUnconvertiblePair = 2,
                                kUnconvertibleSingle = 3, kNotUniquePair = 4;
  std::vector<std::uint8_t> FScanSteps;
  template <Utf8Escape E>
  std::size_t ConvertAs(std::string_view cp932, char*& out, const char* outEnd) const;
};

// The name of the conversion, as a description of an export records it.
extern const char* const kCp932ConverterName;

}  // namespace yuzulog
