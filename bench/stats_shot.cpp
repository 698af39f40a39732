// yuzulog-stats-shot: opens the statistics window over a library and saves what it shows, and
// says how long the window took from being asked to open to being drawn.
//
//   YUZULOG_BENCH_CORPUS=DIR [YUZULOG_BENCH_MB=N] yuzulog-stats-shot OUT.png [ROOM-OUT.png]
//
// The second picture has the first room chosen (its writers, its months, its threads). Runs on
// any Qt platform; QT_QPA_PLATFORM=offscreen needs no display.
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTest>
#include <cstdio>

#include "bench/benchlibrary.h"
#include "mainwindow/messagetree.h"
#include "stats/ui/statswindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: yuzulog-stats-shot OUT.png [ROOM-OUT.png]\n");
    return 2;
  }
  yuzulog::LogFiles files = yuzulog::bench::LoadLibrary("stats-shot");
  yuzulog::MessageTree tree;
  yuzulog::NullProgress progress;
  yuzulog::BuildMessageTree(files, tree, progress);

  yuzulog::TStatsWindow window;
  window.resize(1200, 800);
  QElapsedTimer timer;
  timer.start();
  window.SetSource(&files, &tree);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "stats-shot: not exposed\n");
  window.grab();  // everything laid out and painted once
  std::fprintf(stderr, "stats-shot: window open and drawn in %lld ms (%lld messages)\n",
               static_cast<long long>(timer.elapsed()), files.TotalMessages());
  // The figures are counted on a thread of their own and drawn when complete.
  const auto counted = [&window] { return QTest::qWaitFor([&] { return !window.Counting(); }); };
  if (!counted()) std::fprintf(stderr, "stats-shot: the count did not end\n");
  window.grab();
  std::fprintf(stderr, "stats-shot: figures counted and drawn in %lld ms\n",
               static_cast<long long>(timer.elapsed()));
  // Counted again as after a load (the dates are now known): what a change costs.
  timer.restart();
  window.Refresh();
  counted();
  window.grab();
  std::fprintf(stderr, "stats-shot: counted again and drawn in %lld ms\n",
               static_cast<long long>(timer.elapsed()));
  QTest::qWait(100);
  bool ok = window.grab().save(QString::fromLocal8Bit(argv[1]));
  if (argc > 2) {
    timer.restart();
    window.RoomsView()->selectRow(0);
    window.grab();
    std::fprintf(stderr, "stats-shot: a room chosen and drawn in %lld ms\n",
                 static_cast<long long>(timer.elapsed()));
    QTest::qWait(100);
    ok = window.grab().save(QString::fromLocal8Bit(argv[2])) && ok;
  }
  return ok ? 0 : 1;
}
