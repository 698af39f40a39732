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

// The glyphs' colours; the program's icon is drawn in them too.
inline const QColor kGlyphInk(40, 40, 40);
inline const QColor kGlyphFolder(232, 184, 64);
inline const QColor kGlyphPaper(250, 250, 250);
inline const QColor kGlyphBlue(40, 90, 200);
inline const QColor kGlyphGreen(30, 150, 60);
inline const QColor kGlyphLine(120, 120, 120);

QPixmap GlyphPixmap(int glyph);
QIcon GlyphIcon(int glyph);

}  // namespace yuzulog
