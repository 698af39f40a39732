// The 11 glyphs of the commands, 16 x 16, drawn in code.
#pragma once

#include <QIcon>

namespace yuzulog {

enum Glyph : int {
  kGlyphOpen = 0,
  kGlyphAdd = 1,
  kGlyphLogSet = 2,
  kGlyphLogData = 3,
  kGlyphSearch = 4,
  kGlyphFont = 5,
  kGlyphWordWrap = 6,
  kGlyphAbout = 7,
  kGlyphKeyFont = 8,
  kGlyphSplitVertical = 9,     // panes side by side
  kGlyphSplitHorizontal = 10,  // panes one above the other
  kGlyphCount = 11
};

QPixmap GlyphPixmap(int glyph);
QIcon GlyphIcon(int glyph);

}  // namespace yuzulog
