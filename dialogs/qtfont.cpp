#include "dialogs/qtfont.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/fontaliases.h"

namespace yuzulog {

QString FontFamilyFor(const std::string& name) {
  return QString::fromUtf8(FontStandIn(name));
}

QFont ToQFont(const FontSpec& spec) {
  QFont f(FontFamilyFor(spec.Name));
  // A size without its sign, in 64 bits: the most negative 32-bit size has no positive int.
  f.setPointSize(static_cast<int>(
      std::clamp<long long>(std::llabs(spec.Size), 1, std::numeric_limits<int>::max())));
  f.setBold(spec.Style & kFsBold);
  f.setItalic(spec.Style & kFsItalic);
  f.setUnderline(spec.Style & kFsUnderline);
  f.setStrikeOut(spec.Style & kFsStrikeOut);
  return f;
}

FontSpec FromQFont(const QFont& font, const FontSpec& previous) {
  FontSpec spec = previous;
  if (font.family() != FontFamilyFor(previous.Name)) spec.Name = font.family().toStdString();
  if (font.pointSize() > 0) spec.Size = font.pointSize();
  spec.Style = (font.bold() ? kFsBold : 0) | (font.italic() ? kFsItalic : 0) |
               (font.underline() ? kFsUnderline : 0) | (font.strikeOut() ? kFsStrikeOut : 0);
  return spec;
}

TColor FromQColor(const QColor& c) {
  return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

RgbValue PaletteColorResolver::ResolveSystemColor(int index) const {
  const QPalette p = QApplication::palette();
  QPalette::ColorRole role = QPalette::Window;
  switch (index) {
    case 5:
      role = QPalette::Base;
      break;  // window background
    case 8:
      role = QPalette::Text;
      break;  // window text
    case 13:
      role = QPalette::Highlight;
      break;  // highlight
    case 14:
      role = QPalette::HighlightedText;
      break;
    case 15:
      role = QPalette::Button;
      break;  // button face
    case 18:
      role = QPalette::ButtonText;
      break;
    case 7:
      role = QPalette::WindowText;
      break;  // menu text
    case 23:
      role = QPalette::ToolTipText;
      break;
    case 24:
      role = QPalette::ToolTipBase;
      break;
    default:
      role = QPalette::Window;
      break;
  }
  return p.color(role).rgb() & 0xFFFFFF;
}

QColor ToQColor(TColor c) {
  return QColor::fromRgb(PaletteColorResolver().Resolve(c));
}

void KeepSelectionVisible(QWidget& view) {
  QPalette p = view.palette();
  for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
    p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
  view.setPalette(p);
}

}  // namespace yuzulog
