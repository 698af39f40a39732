// The two big views of the windows over a loaded library, painted as a person uses them: the tree
// of rooms and threads (built and shown, a room expanded whole, scrolled and stepped through) and
// the result list with every message as a hit (filled, scrolled by bar, wheel and arrow key,
// sorted by column click with a selection kept). Each figure is a time per step, with every step
// painted; "through the event loop" steps let the view paint only what changed, as in use.
//
// Files: the .LOG files of YUZULOG_BENCH_CORPUS=DIR, up to YUZULOG_BENCH_MB megabytes (default
// 256). Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. A figure that the
// views got wrong (a step that did not paint, a selection lost by a sort) ends it with status 1.
#include <malloc.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/benchlibrary.h"
#include "mainwindow/messagetree.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "search/search.h"
#include "search/ui/resultlistmodel.h"

namespace yuzulog {
namespace {

constexpr int kSteps = 200;
using bench::Check;

double MsPerStep(const QElapsedTimer& t, int steps) {
  return static_cast<double>(t.elapsed()) / steps;
}

// Heap bytes in use (the C library's count).
long long HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
}

// Counts the paint events of a widget, to see that steps through the event loop do paint.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Paints;
    return false;
  }
  int Paints = 0;
};

// Jumps through the whole view in equal steps, the page painted each time, as dragging the scroll
// bar does.
double PageSteps(QAbstractItemView& view) {
  QScrollBar* bar = view.verticalScrollBar();
  QElapsedTimer t;
  t.start();
  for (int i = 1; i <= kSteps; ++i) {
    bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * i / kSteps));
    view.viewport()->repaint();
  }
  return MsPerStep(t, kSteps);
}

// Scrolls three rows at a time, as the mouse wheel does, through the event loop.
double WheelSteps(QAbstractItemView& view) {
  QScrollBar* bar = view.verticalScrollBar();
  PaintCounter counter(view.viewport());
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < kSteps; ++i) {
    bar->setValue(bar->value() + 3);
    QCoreApplication::processEvents();
  }
  const double ms = MsPerStep(t, kSteps);
  Check(counter.Paints >= kSteps, "a wheel step was not painted");
  return ms;
}

// Presses the down arrow (with modifiers), the whole page painted each time or through the event
// loop.
double KeySteps(QAbstractItemView& view, Qt::KeyboardModifiers modifiers, bool wholePage,
                int steps = kSteps) {
  PaintCounter counter(view.viewport());
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < steps; ++i) {
    QTest::keyClick(&view, Qt::Key_Down, modifiers);
    if (wholePage)
      view.viewport()->repaint();
    else
      QCoreApplication::processEvents();
  }
  const double ms = MsPerStep(t, steps);
  Check(counter.Paints >= steps, "an arrow-key step was not painted");
  return ms;
}

// Rows selected in a selection, counted from its ranges.
long long SelectedRowCount(const QItemSelection& selection) {
  long long rows = 0;
  for (const QItemSelectionRange& range : selection)
    rows += range.height();
  return rows;
}

// The tree built and shown once, then its largest room expanded whole, scrolled and stepped
// through, as holding Page Down or an arrow key does.
void TreeFigures(LogFiles& files) {
  MessageTree tree;
  MessageTreeModel model(tree);
  QTreeView view;
  view.setUniformRowHeights(true);
  view.setModel(&model);
  view.resize(300, 600);
  view.show();
  NullProgress progress;
  QElapsedTimer t;
  t.start();
  model.BeginTreeChange();
  BuildMessageTree(files, tree, progress);
  model.EndTreeChange();
  const qint64 built = t.elapsed();
  view.setCurrentIndex(model.index(0, 0));
  view.expand(model.index(0, 0));
  view.repaint();
  QCoreApplication::processEvents();
  std::printf("tree of %d nodes: built in %lld ms, built and shown in %lld ms, %zu MB\n",
              tree.NodeCount(), static_cast<long long>(built), static_cast<long long>(t.elapsed()),
              tree.MemoryBytes() >> 20);

  int largest = 0;
  for (int room = 1; room < model.rowCount(); ++room)
    if (model.rowCount(model.index(room, 0)) > model.rowCount(model.index(largest, 0)))
      largest = room;
  const QModelIndex room = model.index(largest, 0);
  t.restart();
  view.expandRecursively(room);
  QCoreApplication::processEvents();
  const qint64 expanded = t.elapsed();
  const double scrolled = PageSteps(view);
  // Two runs of arrow steps from the room's row, as far as the rows below it allow.
  int rowsBelow = 0;
  for (QModelIndex i = view.indexBelow(room); i.isValid() && rowsBelow < 2 * kSteps;
       i = view.indexBelow(i))
    ++rowsBelow;
  const int steps = rowsBelow / 2;
  view.setFocus();
  view.setCurrentIndex(room);
  QCoreApplication::processEvents();
  const double stepped = KeySteps(view, Qt::NoModifier, true, steps);
  const double steppedInLoop = KeySteps(view, Qt::NoModifier, false, steps);
  std::printf(
      "room of %d threads expanded whole in %lld ms; each of %d scroll steps, page painted: "
      "%.2f ms; each of %d down-arrow steps, page painted: %.2f ms, through the event loop: "
      "%.2f ms\n",
      model.rowCount(room), static_cast<long long>(expanded), kSteps, scrolled, steps, stepped,
      steppedInLoop);
}

// Every loaded message as a hit: filled and shown, scrolled and stepped through, sorted by column
// clicks with a Shift+click's worth of rows selected.
void ResultListFigures(LogFiles& files) {
  std::vector<TLogMessage*> hits;
  for (const auto& file : files)
    for (TLogMessage& m : file->Messages())
      hits.push_back(&m);
  const int count = static_cast<int>(hits.size());
  if (count < 4 * kSteps) {
    std::fprintf(stderr, "view_bench: %d messages are too few for the result list\n", count);
    ++bench::gFailures;
    return;
  }

  SearchState search;
  ResultListModel model(search.Results);
  QTableView view;
  view.setModel(&model);
  SetUpResultView(view);
  view.resize(800, 600);
  view.show();
  QCoreApplication::processEvents();

  // Fill and first paint.
  const long long heapBefore = HeapInUse();
  NullProgress progress;
  QElapsedTimer t;
  t.start();
  model.BeginResultsChange();
  search.FillResultList(progress, hits);
  model.EndResultsChange();
  view.viewport()->repaint();
  QCoreApplication::processEvents();
  const qint64 filled = t.elapsed();
  const long long viewBytes =
      HeapInUse() - heapBefore -
      static_cast<long long>(search.Results.capacity() * sizeof(TLogMessage*));
  // The model itself: a second one over the same rows, reset and read as the view reads it. The
  // count misses small blocks served from the allocator's caches; anything kept per row would
  // show as megabytes.
  const long long probeBefore = HeapInUse();
  auto probe = std::make_unique<ResultListModel>(search.Results);
  probe->BeginResultsChange();
  probe->EndResultsChange();
  for (int row = 0; row < 40; ++row)
    for (int column = 0; column < kResultColumnCount; ++column)
      (void)probe->index(row, column).data();
  const long long probeBytes = HeapInUse() - probeBefore;
  probe.reset();
  std::printf(
      "%d hits: filled and first painted in %lld ms; heap added by a model over them, reset and "
      "a page read: %lld bytes; the view's own row table: %.1f bytes per row\n",
      count, static_cast<long long>(filled), probeBytes,
      static_cast<double>(viewBytes) / static_cast<double>(count));
  Check(probeBytes < 65536, "the model keeps something per row");

  // Scrolling, then the down arrow held from the middle of the list.
  QScrollBar* bar = view.verticalScrollBar();
  const double paged = PageSteps(view);
  bar->setValue(bar->maximum() / 3);  // the bar counts rows
  QCoreApplication::processEvents();
  const double wheeled = WheelSteps(view);
  view.setFocus();
  view.setCurrentIndex(model.index(count / 2, 0));
  QCoreApplication::processEvents();
  const double stepped = KeySteps(view, Qt::NoModifier, true);
  const double steppedInLoop = KeySteps(view, Qt::NoModifier, false);
  Check(view.currentIndex().row() == count / 2 + 2 * kSteps, "the arrow key lost a step");
  std::printf(
      "each of %d steps: scroll, page painted %.2f ms; wheel %.2f ms; down arrow, page painted "
      "%.2f ms; down arrow through the event loop %.2f ms\n",
      kSteps, paged, wheeled, stepped, steppedInLoop);

  // Column clicks with a block of rows selected (a Shift+click), the current row among them.
  const int selected = std::min(4000, count / 10);
  const int first = count * 3 / 10;
  QItemSelectionModel& selection = *view.selectionModel();
  selection.select(QItemSelection(model.index(first, 0),
                                  model.index(first + selected - 1, kResultColumnCount - 1)),
                   QItemSelectionModel::ClearAndSelect);
  selection.setCurrentIndex(model.index(first + selected / 2, 0), QItemSelectionModel::NoUpdate);
  const TLogMessage* focused = model.MessageAt(first + selected / 2);
  SortState state;
  for (const int column : {ColTitle, ColDate, ColTitle}) {
    t.restart();
    model.SortByColumn(search.Results, state, column, &selection);
    const qint64 sorted = t.elapsed();
    view.viewport()->repaint();
    QCoreApplication::processEvents();
    const qint64 shown = t.elapsed();
    Check(SelectedRowCount(selection.selection()) == selected, "a sort lost selected rows");
    Check(model.MessageAt(view.currentIndex().row()) == focused, "a sort lost the current row");
    std::printf(
        "sort by %s column with %d rows selected: %lld ms, painted after %lld ms (selection now "
        "%lld ranges)\n",
        kColumnCaptions[column], selected, static_cast<long long>(sorted),
        static_cast<long long>(shown), static_cast<long long>(selection.selection().size()));
  }

  // The core's share: the same sort of the bare vector.
  std::vector<TLogMessage*> copy = hits;
  SortState bare;
  t.restart();
  SortResults(copy, bare, kColumnTags[ColTitle]);
  std::printf("the core's sort by title alone: %lld ms\n", static_cast<long long>(t.elapsed()));

  // The same steps with the scattered selection the sorts left; Ctrl+Down moves the current row
  // and leaves the selection as it is.
  const double pagedSelected = PageSteps(view);
  bar->setValue(selection.selection().front().top());
  QCoreApplication::processEvents();
  const double wheeledSelected = WheelSteps(view);
  const double steppedSelected = KeySteps(view, Qt::ControlModifier, true);
  const double steppedSelectedInLoop = KeySteps(view, Qt::ControlModifier, false);
  Check(SelectedRowCount(selection.selection()) == selected, "Ctrl+Down changed the selection");
  std::printf(
      "with the sorted selection, each of %d steps: scroll, page painted %.2f ms; wheel %.2f ms; "
      "Ctrl+Down, page painted %.2f ms; Ctrl+Down through the event loop %.2f ms\n",
      kSteps, pagedSelected, wheeledSelected, steppedSelected, steppedSelectedInLoop);
}

}  // namespace
}  // namespace yuzulog

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  yuzulog::bench::gBenchName = "view_bench";
  yuzulog::LogFiles files = yuzulog::bench::LoadLibrary("view_bench");
  yuzulog::TreeFigures(files);
  yuzulog::ResultListFigures(files);
  return yuzulog::bench::ExitStatus();
}
