#include "mainwindow/ui/qtfont.h"

#include <QApplication>
#include <QPalette>
#include <cstdlib>

namespace yuzulog {

QString FontFamilyFor(const std::string& name) {
  struct Mapping {
    const char* Design;
    const char* Here;
  };
  static const Mapping kMappings[] = {{"ＭＳ Ｐゴシック", "IPAPGothic"},
                                      {"ＭＳ ゴシック", "IPAGothic"},
                                      {"ＭＳ Ｐ明朝", "IPAPMincho"},
                                      {"ＭＳ 明朝", "IPAMincho"}};
  for (const Mapping& m : kMappings)
    if (name == m.Design) return QString::fromUtf8(m.Here);
  return QString::fromStdString(name);
}

QFont ToQFont(const FontSpec& spec) {
  QFont f(FontFamilyFor(spec.Name));
  f.setPointSize(std::max(1, std::abs(spec.Size)));
  f.setBold(spec.Style & kFsBold);
  f.setItalic(spec.Style & kFsItalic);
  f.setUnderline(spec.Style & kFsUnderline);
  f.setStrikeOut(spec.Style & kFsStrikeOut);
  return f;
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

}  // namespace yuzulog
