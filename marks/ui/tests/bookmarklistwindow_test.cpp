// The bookmark list window over a real store: grey rows, sorting, Enter, Delete and F2.
#include "marks/ui/bookmarklistwindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

class BookmarkListWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string problem;
    store = MarkStore::Open(MarkStorePath(dir.Path().string() + "/"), problem);
    ASSERT_TRUE(store) << problem;
    bool added = false;
    store->ToggleBookmark({MakeMarkKey(7, 30, "A", "97/01/01 00:00"), "題", "誰", "", 3}, added);
    store->ToggleBookmark({MakeMarkKey(2, 10, "B", "97/01/01 00:00"), "題", "誰", "", 1}, added);
    store->ToggleBookmark({MakeMarkKey(5, 20, "C", "97/01/01 00:00"), "題", "誰", "", 2}, added);
    window = std::make_unique<BookmarkListWindow>(*store,
                                                  [](const MarkKey& key) { return key.Room != 5; });
    window->show();
    // Delete and F2 are the window's shortcuts: they reach only an active window.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    view = window->View();
  }
  int RoomAt(int row) const { return view->model()->index(row, 0).data().toInt(); }

  testing::TempDir dir;
  std::unique_ptr<MarkStore> store;
  std::unique_ptr<BookmarkListWindow> window;
  QTableView* view = nullptr;
};

TEST_F(BookmarkListWindowTest, SortsGreysWhatIsNotLoadedEnterShowsDeleteRemovesF2EditsTheNote) {
  QAbstractItemModelTester tester(view->model(),
                                  QAbstractItemModelTester::FailureReportingMode::Warning);
  ASSERT_EQ(view->model()->rowCount(), 3);
  EXPECT_EQ(RoomAt(0), 2);  // oldest first
  view->sortByColumn(0, Qt::DescendingOrder);
  EXPECT_EQ(RoomAt(0), 7);  // the order itself is the core's
  EXPECT_TRUE(view->model()->index(1, 2).data(Qt::ForegroundRole).isValid());
  EXPECT_FALSE(view->model()->index(0, 2).data(Qt::ForegroundRole).isValid());

  QSignalSpy shown(window.get(), &BookmarkListWindow::showMessageRequested);
  view->setFocus();
  view->setCurrentIndex(view->model()->index(1, 0));  // room 5
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_EQ(shown.count(), 1);
  EXPECT_EQ(shown[0][0].value<MarkKey>(), MakeMarkKey(5, 20, "C", "97/01/01 00:00"));
  QTest::keyClick(view, Qt::Key_F2);
  auto* editor = view->findChild<QLineEdit*>();
  ASSERT_TRUE(editor);
  editor->setText(QStringLiteral("メモ"));
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();  // the delegate commits from a queued call
  std::vector<Bookmark> list;
  store->Bookmarks(list);
  EXPECT_EQ(list[1].Note, "メモ");  // the store lists the oldest first

  view->selectRow(1);
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(view->model()->rowCount(), 2);
  EXPECT_FALSE(store->IsBookmarked(MakeMarkKey(5, 20, "C", "97/01/01 00:00")));
}

}  // namespace
}  // namespace yuzulog
