// The parent a box gets, which decides whether the window system shows it in reach.
#include "dialogs/qthelpers.h"

#include <gtest/gtest.h>

#include <QDialog>

namespace yuzulog {
namespace {

TEST(DialogParent, TheModalWindowFirstThenAShownWindowThatStaysOnTop) {
  QWidget main, onTop(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
  main.show();
  EXPECT_EQ(DialogParent(&main), &main);  // hidden, it is on top of nothing
  onTop.show();
  EXPECT_EQ(DialogParent(&main), &onTop);
  QDialog progress(&onTop);
  progress.setModal(true);
  progress.show();
  EXPECT_EQ(DialogParent(&main), &progress);
}

}  // namespace
}  // namespace yuzulog
