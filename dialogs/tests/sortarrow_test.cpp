#include "dialogs/sortarrow.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QStandardItemModel>

namespace yuzulog {
namespace {

// The arrow in the one empty section of the header, drawn as the order: +1 when its widest row of
// dark pixels is on top (pointing down), -1 at the bottom (up).
int ArrowDirection(QHeaderView& header, Qt::SortOrder order) {
  header.setSortIndicator(0, order);
  const QImage image = header.grab().toImage();
  std::vector<int> dark;
  for (int y = 2; y < image.height() - 2; ++y) {
    int n = 0;
    for (int x = 2; x < header.width() - 2; ++x)
      n += qGray(image.pixel(x, y)) < 128;
    if (n > 0) dark.push_back(n);
  }
  return dark.size() < 2 || dark.front() == dark.back() ? 0 : dark.front() > dark.back() ? 1 : -1;
}

TEST(SortArrow, PointsAsTheRowsRead) {
  QStandardItemModel model(2, 1);
  model.setHorizontalHeaderLabels({QString()});
  QHeaderView header(Qt::Horizontal);
  header.setModel(&model);
  header.resize(120, 24);
  header.resizeSection(0, 120);
  header.setSortIndicatorShown(true);
  DrawSortIndicatorAsOrder(header);
  DrawSortIndicatorAsOrder(header);  // given twice, still turned once
  EXPECT_EQ(ArrowDirection(header, Qt::DescendingOrder), 1);
  EXPECT_EQ(ArrowDirection(header, Qt::AscendingOrder), -1);
}

}  // namespace
}  // namespace yuzulog
