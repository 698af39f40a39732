#include "app/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "mainwindow/ui/glyphs.h"

namespace yuzulog {
namespace {

const QColor kRindLight(250, 214, 96);
const QColor kDimple(200, 150, 40);

// Drawn on a 48-unit square. Lines stay at least one pixel wide at the small sizes.
void Draw(QPainter& p, int size) {
  const double unit = size / 48.0;
  const double hair = std::max(1.0, 1.0 / unit);
  p.scale(unit, unit);

  // The log sheet: a page with a blue header rule and grey text lines.
  p.setPen(QPen(kGlyphInk, hair));
  p.setBrush(kGlyphPaper);
  p.drawRect(QRectF(5.5, 3.5, 28, 36));
  p.setPen(QPen(kGlyphBlue, hair * 1.4));
  p.drawLine(QPointF(9, 10), QPointF(30, 10));
  p.setPen(QPen(kGlyphLine, hair));
  for (int i = 0; i < 5; ++i) {
    const double y = 16 + 4.5 * i;
    p.drawLine(QPointF(9, y), QPointF(i % 2 ? 24 : 30, y));
  }

  // The yuzu in front of the sheet's lower right corner, with its leaf.
  QRadialGradient rind(QPointF(30, 30), 14, QPointF(27, 27));
  rind.setColorAt(0, kRindLight);
  rind.setColorAt(1, kGlyphFolder);
  p.setPen(QPen(kGlyphInk, hair));
  p.setBrush(rind);
  p.drawEllipse(QPointF(33, 33), 12, 11);
  p.setPen(Qt::NoPen);
  p.setBrush(kDimple);
  for (const QPointF dimple : {QPointF(29, 31), QPointF(36, 29), QPointF(33, 37), QPointF(39, 35)})
    p.drawEllipse(dimple, 0.9, 0.9);
  QPainterPath leaf;
  leaf.moveTo(33, 22.5);
  leaf.cubicTo(35, 16, 41, 15, 45, 16);
  leaf.cubicTo(43, 21, 38, 24, 33, 22.5);
  p.setPen(QPen(kGlyphGreen.darker(130), hair));
  p.setBrush(kGlyphGreen);
  p.drawPath(leaf);
}

}  // namespace

QImage AppIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Draw(p, size);
  return image;
}

QIcon AppIcon() {
  QIcon icon;
  for (const int size : kAppIconSizes)
    icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
  return icon;
}

}  // namespace yuzulog
