// Fonts and colours as the settings files and the message pages know them.
#pragma once

#include <cstdint>
#include <string>

namespace yuzulog {

// A colour in its stored form: 0x00BBGGRR, or, with the top bit set, a system colour whose index
// is the low byte (0x80000005 window background, 0x80000008 window text). Stored as the signed
// 32-bit value the settings files write in decimal.
using TColor = std::int32_t;

constexpr TColor kSystemColorFlag = static_cast<TColor>(0x80000000u);
constexpr TColor kClWindow = static_cast<TColor>(0x80000005u);
constexpr TColor kClWindowText = static_cast<TColor>(0x80000008u);
constexpr TColor kClBlack = 0x000000;
constexpr TColor kClBlue = 0xFF0000;

constexpr bool IsSystemColor(TColor c) {
  return (c & kSystemColorFlag) != 0;
}
constexpr int SystemColorIndex(TColor c) {
  return c & 0xFF;
}

// An RGB value 0x00RRGGBB after system colours are resolved.
using RgbValue = std::uint32_t;

// Resolves a stored colour to RGB; the windows back it with the palette.
class ColorResolver {
 public:
  virtual ~ColorResolver() = default;
  virtual RgbValue ResolveSystemColor(int index) const = 0;
  RgbValue Resolve(TColor c) const {
    if (IsSystemColor(c)) return ResolveSystemColor(SystemColorIndex(c));
    const auto v = static_cast<std::uint32_t>(c);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
  }
};

// The fixed resolution the command-line tool uses: window background white, everything else
// (window text and the rest) black.
class DefaultColorResolver final : public ColorResolver {
 public:
  RgbValue ResolveSystemColor(int index) const override { return index == 5 ? 0xFFFFFF : 0x000000; }
};

enum FontStyleBits : int { kFsBold = 1, kFsItalic = 2, kFsUnderline = 4, kFsStrikeOut = 8 };

// The design font of the message view.
inline constexpr const char* kDesignFontName = "ＭＳ Ｐゴシック";

struct FontSpec {
  std::string Name = kDesignFontName;  // UTF-8
  int Size = 9;                        // points; a negative size is used by its absolute value
  TColor Color = kClBlack;
  int Style = 0;  // FontStyleBits
  bool operator==(const FontSpec&) const = default;
};

}  // namespace yuzulog
