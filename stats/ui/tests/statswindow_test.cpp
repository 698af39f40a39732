#include "stats/ui/statswindow.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QtCharts/QAbstractBarSeries>
#include <QtCharts/QChartView>

#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::DataFile;

// What the main window holds: the files and the tree built from them.
struct Loaded {
  LogFiles Files;
  MessageTree Tree;
  void Change(const std::vector<std::string>& add, const std::string& remove = {}) {
    Tree.Clear();
    if (!remove.empty()) Files.Remove(Files.FindLoadedFile(DataFile(remove)));
    for (const std::string& name : add) {
      auto file = std::make_unique<TLogData>();
      ASSERT_TRUE(file->LoadFromFile(DataFile(name)));
      Files.Append(std::move(file));
    }
    Files.SortLogFiles();
    NullProgress progress;
    BuildMessageTree(Files, Tree, progress);
  }
};

int Bars(QChartView* view) {
  const auto series = view->chart()->series();
  return series.isEmpty() ? 0 : static_cast<QAbstractBarSeries*>(series.front())->count();
}

// The window follows a load and a removal while it is open, keeps the chosen room, counts a
// change made while it is hidden when it is shown, and a double-clicked writer gives its ID.
TEST(StatsWindow, FollowsLoadsAndRemovals) {
  Loaded lib;
  lib.Change({"room12.lzh"});
  TStatsWindow w;
  w.SetSource(&lib.Files, &lib.Tree);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ(w.RoomsView()->model()->rowCount(), 1);

  lib.Change({"room05a.LOG", "room05b.LOG"});
  w.Refresh();
  w.Refresh();
  QTest::qWait(20);
  ASSERT_EQ(w.RoomsView()->model()->rowCount(), 2);
  EXPECT_EQ(w.Stats().Messages, 30 + 23);
  EXPECT_EQ(Bars(w.MonthsChart()), 2);  // both rooms stacked

  w.RoomsView()->selectRow(0);  // room 5
  EXPECT_EQ(w.WritersView()->model()->rowCount(), 7);
  EXPECT_EQ(Bars(w.MonthsChart()), 1);

  lib.Change({}, "room12.lzh");
  w.Refresh();
  QTest::qWait(20);
  ASSERT_EQ(w.RoomsView()->model()->rowCount(), 1);
  EXPECT_EQ(w.Stats().Rooms[0].Room, 5);
  EXPECT_EQ(w.WritersView()->model()->rowCount(), 7);  // room 5 still chosen

  QSignalSpy activated(&w, &TStatsWindow::WriterActivated);
  const QModelIndex first = w.WritersView()->model()->index(0, 0);
  const QPoint at = w.WritersView()->visualRect(first).center();
  QTest::mouseClick(w.WritersView()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(w.WritersView()->viewport(), Qt::LeftButton, {}, at);
  ASSERT_EQ(activated.count(), 1);
  EXPECT_EQ(activated.front().front().toString(), first.data().toString());

  w.hide();
  lib.Change({"room12.lzh"});
  w.Refresh();
  QTest::qWait(20);
  EXPECT_EQ(w.Stats().Rooms.size(), 1u);  // not counted while hidden
  w.show();
  EXPECT_EQ(w.Stats().Rooms.size(), 2u);
}

}  // namespace
}  // namespace yuzulog
