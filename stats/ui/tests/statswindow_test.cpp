#include "stats/ui/statswindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QtCharts/QAbstractBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChartView>

#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"
#include "mainwindow/ui/mainform.h"
#include "stats/ui/statstool.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
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

// Until the window shows the figures of its last count.
bool Counted(const TStatsWindow& w) {
  return testing::RunUntil([&w] { return !w.Counting(); }, 20000);
}

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
  ASSERT_TRUE(Counted(w));
  EXPECT_EQ(w.RoomsView()->model()->rowCount(), 1);

  w.Hold();
  lib.Change({"room05a.LOG", "room05b.LOG"});
  w.SetSource(&lib.Files, &lib.Tree);
  w.Refresh();
  ASSERT_TRUE(Counted(w));
  ASSERT_EQ(w.RoomsView()->model()->rowCount(), 2);
  EXPECT_EQ(w.Stats().Messages, 30 + 23);
  EXPECT_EQ(Bars(w.MonthsChart()), 2);  // both rooms stacked, told apart by their colours
  const auto sets = static_cast<QAbstractBarSeries*>(w.MonthsChart()->chart()->series().front());
  EXPECT_NE(sets->barSets()[0]->color(), sets->barSets()[1]->color());

  w.RoomsView()->selectRow(0);  // room 5
  EXPECT_EQ(w.WritersView()->model()->rowCount(), 7);
  EXPECT_EQ(Bars(w.MonthsChart()), 1);

  w.Hold();
  lib.Change({}, "room12.lzh");
  w.SetSource(&lib.Files, &lib.Tree);
  ASSERT_TRUE(Counted(w));
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
  w.Hold();
  lib.Change({"room12.lzh"});
  w.SetSource(&lib.Files, &lib.Tree);
  QTest::qWait(20);
  EXPECT_EQ(w.Stats().Rooms.size(), 1u);  // not counted while hidden
  w.show();
  ASSERT_TRUE(Counted(w));
  EXPECT_EQ(w.Stats().Rooms.size(), 2u);
}

// Told after the statistics tool: while the files change it lets queued work run, as the
// progress window does, and notes what the statistics window shows then.
struct DuringChange : WorkspaceObserver {
  explicit DuringChange(TStatsWindow& w) : Window(w) {}
  TStatsWindow& Window;
  long long SeenMessages = -1;
  int SearchWanted = 0;
  void MessagesForgotten() override {
    Window.Refresh();
    Counted(Window);
    SeenMessages = Window.Stats().Messages;
  }
  void SearchWindowWanted() override { ++SearchWanted; }
};

// The tools menu opens the window on the workspace; a reload leaves its figures alone until the
// files are loaded, then counts them; Enter on a writer searches for that ID.
TEST(StatsWindow, TheToolsCommandFollowsTheWorkspace) {
  testing::ScriptedDialogs boxes;
  TMainForm form({"yuzulog"});
  StatsTool tool(form.Space());
  TStatsWindow& w = tool.Window();
  DuringChange during(w);
  form.Space().AddObserver(during);
  form.LoadFileList({DataFile("room12.lzh")}, false);
  form.SetToolWindows(nullptr, &tool);
  form.findChild<QAction*>(QStringLiteral("ActionStats"))->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  ASSERT_TRUE(Counted(w));
  EXPECT_EQ(w.Stats().Messages, 30);
  form.LoadFileList({DataFile("room05a.LOG"), DataFile("room05b.LOG")}, false);
  EXPECT_EQ(during.SeenMessages, 30);
  ASSERT_TRUE(Counted(w));
  EXPECT_EQ(w.Stats().Messages, 12 + 11);

  w.RoomsView()->selectRow(0);
  QTableView* writers = w.WritersView();
  writers->setCurrentIndex(writers->model()->index(0, 0));
  const QString id = writers->currentIndex().data().toString();
  QTest::keyClick(writers, Qt::Key_Return);
  ASSERT_FALSE(form.Space().Search().Results().empty());
  for (const TLogMessage* m : form.Space().Search().Results())
    EXPECT_EQ(m->ID(), id.toStdString());
  EXPECT_EQ(during.SearchWanted, 1);
  form.Space().RemoveObserver(during);
}

}  // namespace
}  // namespace yuzulog
