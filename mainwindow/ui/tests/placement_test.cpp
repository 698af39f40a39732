// Where the main window's panes stand as it shrinks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSplitter>

#include "mainwindow/ui/tests/formparts.h"

namespace yuzulog {
namespace {

TEST(PaneSplit, AShrinkingWindowTakesFromTheTreeSoThePageKeepsHalf) {
  auto f = testing::RichTextForm();
  f->resize(696, 480);
  f->show();
  auto *splitter = testing::Child<QSplitter>(*f, "Splitter1");
  const auto resized = [&](int width) {
    f->resize(width, 480);
    QApplication::processEvents();
    return splitter->sizes();
  };
  QList<int> sizes = resized(320);
  EXPECT_GE(sizes[1], sizes[0]);
  // A page made smaller than the tree by hand loses nothing while the tree can
  // give way.
  sizes = resized(696);
  splitter->setSizes({sizes[0] + sizes[1] - 150, 150});
  EXPECT_EQ(resized(596)[1], 150);
}

} // namespace
} // namespace yuzulog
