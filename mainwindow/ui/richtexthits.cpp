#include "mainwindow/ui/richtexthits.h"

#include <QTextCursor>
#include <QTextEdit>

#include "dialogs/qtfont.h"
#include "htmlview/htmlpage.h"
#include "mainwindow/richtext.h"

namespace yuzulog {

void MarkHitsInRichText(QTextEdit& view, const TLogMessage& message,
                        std::span<const std::int64_t> hitPairs, const FontSpec& keyFont,
                        int start) {
  const std::vector<std::int64_t> boundaries = MergeHitRanges(hitPairs);
  const std::vector<int> positions =
      RichTextPositions({message.HeadStart, message.TextSize()}, boundaries);
  QTextCharFormat format;
  format.setFontFamilies({FontFamilyFor(keyFont.Name)});
  format.setFontPointSize(std::max(1, std::abs(keyFont.Size)));
  if (keyFont.Color == kClWindowText)
    format.clearForeground();
  else
    format.setForeground(ToQColor(keyFont.Color));
  format.setFontWeight(keyFont.Style & kFsBold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(keyFont.Style & kFsItalic);
  format.setFontUnderline(keyFont.Style & kFsUnderline);
  format.setFontStrikeOut(keyFont.Style & kFsStrikeOut);
  QTextCursor cursor(view.document());
  for (std::size_t i = 0; i + 1 < positions.size(); i += 2) {
    cursor.setPosition(start + positions[i]);
    cursor.setPosition(start + positions[i + 1], QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(format);
  }
}

}  // namespace yuzulog
