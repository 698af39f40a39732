// Where the main window's panes stand as it shrinks, and which window has the keyboard after a
// load.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSplitter>

#include "mainwindow/ui/tests/formparts.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

TEST(PaneSplit, AShrinkingWindowTakesFromTheTreeSoThePageKeepsHalf) {
  auto f = testing::RichTextForm();
  f->resize(696, 480);
  f->show();
  auto* splitter = testing::Child<QSplitter>(*f, "Splitter1");
  const auto resized = [&](int width) {
    f->resize(width, 480);
    QApplication::processEvents();
    return splitter->sizes();
  };
  QList<int> sizes = resized(320);
  EXPECT_GE(sizes[1], sizes[0]);
  // A page made smaller than the tree by hand loses nothing while the tree can give way.
  sizes = resized(696);
  splitter->setSizes({sizes[0] + sizes[1] - 150, 150});
  EXPECT_EQ(resized(596)[1], 150);
}

TEST(LoadFocus, TheMainWindowComesForwardWithTheTreeFocused) {
  testing::ScriptedDialogs boxes;
  auto f = testing::RichTextForm();
  f->show();
  QWidget other;  // has the keyboard, as the search window has when shown
  other.show();
  other.activateWindow();
  ASSERT_TRUE(testing::RunUntil([&] { return QApplication::activeWindow() == &other; }, 2000));
  f->LoadFileList({testing::DataFile("room05a.LOG")}, false);
  EXPECT_TRUE(testing::RunUntil([&] { return QApplication::activeWindow() == f.get(); }, 2000));
  EXPECT_TRUE(testing::Tree(*f)->hasFocus());
}

}  // namespace
}  // namespace yuzulog
