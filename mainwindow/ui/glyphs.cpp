#include "mainwindow/ui/glyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace yuzulog {
namespace {

void Folder(QPainter& p) {
  p.setPen(QPen(kGlyphInk, 1));
  p.setBrush(kGlyphFolder);
  QPainterPath path;
  path.moveTo(1.5, 3.5);
  path.lineTo(6.5, 3.5);
  path.lineTo(7.5, 5.5);
  path.lineTo(14.5, 5.5);
  path.lineTo(14.5, 13.5);
  path.lineTo(1.5, 13.5);
  path.closeSubpath();
  p.drawPath(path);
}

void Page(QPainter& p, QRectF r) {
  p.setPen(QPen(kGlyphInk, 1));
  p.setBrush(kGlyphPaper);
  p.drawRect(r);
}

void Lines(QPainter& p, double x0, double x1, double y0, int count, double step) {
  p.setPen(QPen(kGlyphLine, 1));
  for (int i = 0; i < count; ++i)
    p.drawLine(QPointF(x0, y0 + i * step), QPointF(x1, y0 + i * step));
}

void Letter(QPainter& p, const QString& s, const QColor& c, QRect r, int px) {
  QFont f(QStringLiteral("DejaVu Serif"));
  f.setPixelSize(px);
  f.setBold(true);
  p.setFont(f);
  p.setPen(c);
  p.drawText(r, Qt::AlignCenter, s);
}

void Draw(QPainter& p, int glyph) {
  switch (glyph) {
    case kGlyphOpen:
      Folder(p);
      p.setPen(QPen(kGlyphBlue, 2));
      p.drawLine(QPointF(10, 2), QPointF(14, 2));
      p.drawLine(QPointF(14, 2), QPointF(14, 5));
      break;
    case kGlyphAdd:
      Folder(p);
      p.setPen(QPen(kGlyphGreen, 2));
      p.drawLine(QPointF(8, 9.5), QPointF(13, 9.5));
      p.drawLine(QPointF(10.5, 7), QPointF(10.5, 12));
      break;
    case kGlyphLogSet:
      Page(p, QRectF(5.5, 1.5, 9, 10));
      Page(p, QRectF(3.5, 3.5, 9, 10));
      Page(p, QRectF(1.5, 5.5, 9, 10));
      Lines(p, 3, 9, 8.5, 3, 2);
      break;
    case kGlyphLogData:
      Page(p, QRectF(1.5, 1.5, 13, 13));
      p.setPen(QPen(kGlyphBlue, 1));
      p.drawLine(QPointF(2, 4.5), QPointF(14, 4.5));
      Lines(p, 3, 13, 7.5, 3, 2.5);
      break;
    case kGlyphSearch:
      p.setPen(QPen(kGlyphInk, 2));
      p.setBrush(QColor(200, 225, 250));
      p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
      p.setPen(QPen(kGlyphInk, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(10, 10), QPointF(14, 14));
      break;
    case kGlyphFont:
      Letter(p, QStringLiteral("A"), kGlyphInk, QRect(0, 0, 16, 16), 15);
      break;
    case kGlyphWordWrap: {
      Lines(p, 1, 14, 3.5, 1, 0);
      p.setPen(QPen(kGlyphBlue, 1.5));
      QPainterPath path;
      path.moveTo(1, 8);
      path.lineTo(12, 8);
      path.arcTo(QRectF(9, 8, 5, 5), 90, -180);
      path.lineTo(6, 13);
      p.setBrush(Qt::NoBrush);
      p.drawPath(path);
      p.drawLine(QPointF(6, 13), QPointF(8.5, 10.5));
      p.drawLine(QPointF(6, 13), QPointF(8.5, 15.5));
      break;
    }
    case kGlyphAbout:
      p.setPen(QPen(kGlyphBlue.darker(), 1));
      p.setBrush(kGlyphBlue);
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      Letter(p, QStringLiteral("i"), Qt::white, QRect(0, 1, 16, 15), 11);
      break;
    case kGlyphKeyFont:
      p.fillRect(QRectF(1, 9, 14, 5), QColor(255, 230, 60));
      Letter(p, QStringLiteral("K"), QColor(0, 0, 255), QRect(0, 0, 16, 16), 14);
      break;
    case kGlyphSplitVertical:
    case kGlyphSplitHorizontal:
      p.setPen(QPen(kGlyphInk, 1));
      p.setBrush(kGlyphPaper);
      p.drawRect(QRectF(1.5, 2.5, 13, 11));
      p.fillRect(glyph == kGlyphSplitVertical ? QRectF(2, 3, 4, 10) : QRectF(2, 3, 12, 3),
                 QColor(200, 225, 250));
      p.setPen(QPen(kGlyphBlue, 1));
      if (glyph == kGlyphSplitVertical)
        p.drawLine(QPointF(6.5, 3), QPointF(6.5, 13));
      else
        p.drawLine(QPointF(2, 6.5), QPointF(14, 6.5));
      break;
    default:
      break;
  }
}

}  // namespace

QPixmap GlyphPixmap(int glyph) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  Draw(p, glyph);
  return pm;
}

QIcon GlyphIcon(int glyph) {
  return QIcon(GlyphPixmap(glyph));
}

}  // namespace yuzulog
