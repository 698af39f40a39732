#include "search/ui/resultlistmodel.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <cstdio>
#include <memory>

#include "search/search.h"
#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::ParsedLog;

class ResultListModelTest : public ::testing::Test {
 protected:
  // One log per message; Results in the order given.
  void Load(const std::vector<MessageSpec>& specs) {
    for (const MessageSpec& s : specs) {
      Logs.push_back(ParsedLog(LogBuilder().Add(s).Text()));
      for (TLogMessage& m : Logs.back()->Messages())
        Results.push_back(&m);
    }
  }
  static MessageSpec Msg(int number, std::string title) {
    return {.Number = number, .Title = std::move(title), .Room = 1};
  }
  // The message numbers of the rows.
  std::vector<int> Numbers() const {
    std::vector<int> numbers;
    for (const TLogMessage* m : Results)
      numbers.push_back(m->Number);
    return numbers;
  }
  // The message numbers of the selected rows, in row order.
  std::vector<int> SelectedNumbers(const QItemSelectionModel& selection) const {
    std::vector<int> numbers;
    for (int row = 0; row < Model.rowCount(); ++row)
      if (selection.isRowSelected(row)) numbers.push_back(Model.MessageAt(row)->Number);
    return numbers;
  }
  void SelectRow(QItemSelectionModel& selection, int row) {
    selection.select(Model.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  std::vector<std::unique_ptr<TLogData>> Logs;
  std::vector<TLogMessage*> Results;
  ResultListModel Model{Results};
  QAbstractItemModelTester Tester{&Model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ResultListModelTest, RowTextsAlignmentAndHeaderDecodeCodePage932) {
  Model.BeginResultsChange();
  Load({{.Number = 42,
         .ID = "ABC01234",
         .Handle = "書き手",
         .Title = "会議のお知らせ ｶﾅ",
         .Room = 5,
         .Date = "97/05/04",
         .Body = "本文"}});
  Model.EndResultsChange();

  ASSERT_EQ(Model.rowCount(), 1);
  ASSERT_EQ(Model.columnCount(), 7);
  const auto text = [&](int column) { return Model.index(0, column).data().toString(); };
  EXPECT_EQ(text(ColRoom), QStringLiteral(" 5"));
  EXPECT_EQ(text(ColNumber), QStringLiteral("42"));
  // Double-byte and half-width katakana both decoded.
  EXPECT_EQ(text(ColTitle), QStringLiteral("会議のお知らせ ｶﾅ"));
  EXPECT_EQ(text(ColHandle), QStringLiteral("書き手"));
  EXPECT_EQ(text(ColID), QStringLiteral("ABC01234"));
  EXPECT_EQ(text(ColDate), QStringLiteral("97/05/04"));
  EXPECT_EQ(text(ColSize), QString::number(Results[0]->BodySize()));

  for (int column = 0; column < kResultColumnCount; ++column) {
    const Qt::Alignment expected =
        (kColumnRightAligned[column] ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    EXPECT_EQ(Model.index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>(), expected)
        << column;
    EXPECT_EQ(
        Model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
        expected)
        << column;
  }
  const QStringList captions = {"室", "番号", "タイトル", "ハンドル名", "ID", "日付", "サイズ"};
  for (int column = 0; column < kResultColumnCount; ++column)
    EXPECT_EQ(Model.headerData(column, Qt::Horizontal).toString(), captions[column]);
  EXPECT_FALSE(Model.index(0, ColTitle).data(Qt::DecorationRole).isValid());
  EXPECT_EQ(Model.MessageAt(0), Results[0]);
  EXPECT_EQ(Model.MessageAt(1), nullptr);
}

TEST_F(ResultListModelTest, ViewGetsDefaultWidthsAndOneFixedRowHeight) {
  QTableView view;
  view.setModel(&Model);
  SetUpResultView(view);
  for (int column = 0; column < kResultColumnCount; ++column)
    EXPECT_EQ(view.horizontalHeader()->sectionSize(column), kColumnWidths[column]);
  EXPECT_TRUE(view.verticalHeader()->isHidden());
  EXPECT_EQ(view.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
  EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
  auto* delegate = qobject_cast<ResultListDelegate*>(view.itemDelegate());
  EXPECT_NE(delegate, nullptr);
  SetUpResultView(view);  // again, as after a font change: still the one cell painter
  EXPECT_EQ(view.itemDelegate(), delegate);

  // A refill with fewer rows: the widths stay, nothing stays selected beyond the new rows.
  Model.BeginResultsChange();
  Load({Msg(1, "a"), Msg(2, "b"), Msg(3, "c")});
  Model.EndResultsChange();
  view.selectionModel()->select(Model.index(2, 0),
                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  view.setCurrentIndex(Model.index(2, 0));
  Model.BeginResultsChange();
  Results.resize(1);
  Model.EndResultsChange();
  EXPECT_EQ(Model.rowCount(), 1);
  EXPECT_EQ(Model.index(0, ColNumber).data().toString(), QStringLiteral("1"));
  EXPECT_FALSE(Model.index(2, ColNumber).data().isValid());
  EXPECT_FALSE(view.selectionModel()->hasSelection());
  EXPECT_FALSE(view.currentIndex().isValid());
  EXPECT_EQ(view.horizontalHeader()->sectionSize(ColTitle), kColumnWidths[ColTitle]);
}

TEST_F(ResultListModelTest, ColumnClickKeepsTheSelectedMessagesSelectedAndTheCurrentOneCurrent) {
  Model.BeginResultsChange();
  Load({Msg(1, "e"), Msg(2, "b"), Msg(3, "f"), Msg(4, "a"), Msg(5, "d"), Msg(6, "c")});
  Model.EndResultsChange();
  QItemSelectionModel selection(&Model);
  SelectRow(selection, 1);  // 2 "b"
  SelectRow(selection, 4);  // 5 "d"
  SelectRow(selection, 5);  // 6 "c"
  selection.setCurrentIndex(Model.index(4, ColID), QItemSelectionModel::NoUpdate);
  const QPersistentModelIndex held = Model.index(2, ColDate);  // 3 "f"
  SortState state;

  Model.SortByColumn(Results, state, ColTitle, &selection);
  EXPECT_EQ(Numbers(), (std::vector<int>{4, 2, 6, 5, 1, 3}));
  EXPECT_EQ(Model.index(0, ColTitle).data().toString(), QStringLiteral("a"));
  EXPECT_EQ(SelectedNumbers(selection), (std::vector<int>{2, 6, 5}));
  // Rows 1-3 are consecutive: handed over as one range of whole rows.
  ASSERT_EQ(selection.selection().size(), 1);
  EXPECT_EQ(selection.selection()[0], QItemSelectionRange(Model.index(1, 0), Model.index(3, 6)));
  EXPECT_EQ(Model.MessageAt(selection.currentIndex().row())->Number, 5);
  EXPECT_EQ(selection.currentIndex().column(), ColID);
  // An index a view keeps across the sort follows its message.
  EXPECT_EQ(Model.MessageAt(held.row())->Number, 3);
  EXPECT_EQ(held.column(), ColDate);

  // Nothing selected and no current row: the sort selects nothing.
  selection.clear();
  Model.SortByColumn(Results, state, ColNumber, &selection);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(selection.hasSelection());
  EXPECT_FALSE(selection.currentIndex().isValid());
}

TEST_F(ResultListModelTest, SecondClickOnTheSameColumnReversesAndAnotherColumnAscends) {
  Model.BeginResultsChange();
  Load({Msg(3, "b"), Msg(1, "c"), Msg(2, "a")});
  Model.EndResultsChange();
  QTableView view;
  view.setModel(&Model);
  SetUpResultView(view);
  QItemSelectionModel& selection = *view.selectionModel();
  SelectRow(selection, 0);  // 3 "b"
  selection.setCurrentIndex(Model.index(0, 0), QItemSelectionModel::NoUpdate);
  SortState state;

  Model.SortByColumn(Results, state, ColTitle, &selection);
  EXPECT_EQ(Numbers(), (std::vector<int>{2, 3, 1}));
  Model.SortByColumn(Results, state, ColTitle, &selection);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 3, 2}));
  EXPECT_EQ(Model.index(0, ColTitle).data().toString(), QStringLiteral("c"));
  EXPECT_EQ(SelectedNumbers(selection), std::vector<int>{3});
  EXPECT_EQ(view.currentIndex().row(), 1);

  Model.SortByColumn(Results, state, ColNumber, nullptr);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 3}));
  // Without a selection model handed over, the view's own selection still follows its message.
  EXPECT_EQ(SelectedNumbers(selection), std::vector<int>{3});
}

}  // namespace
}  // namespace yuzulog

namespace yuzulog {
namespace {

// Heap bytes in use (the C library's count).
long long HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
}

// Rows selected in a selection, counted from its ranges.
long long SelectedRowCount(const QItemSelection& selection) {
  long long rows = 0;
  for (const QItemSelectionRange& range : selection)
    rows += range.height();
  return rows;
}

// The steps below return the time per step in ms. Painting the whole page each step is the
// most a step can cost; through the event loop the view paints only what changed, as in use.

// Jumps through the whole list in equal steps, the page painted each time, as dragging the scroll
// bar does.
double PageSteps(QTableView& view, int steps) {
  QScrollBar* bar = view.verticalScrollBar();
  QElapsedTimer t;
  t.start();
  for (int i = 1; i <= steps; ++i) {
    bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * i / steps));
    view.viewport()->repaint();
  }
  return static_cast<double>(t.elapsed()) / steps;
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

// Scrolls three rows at a time, as the mouse wheel does, through the event loop.
double WheelSteps(QTableView& view, int steps) {
  QScrollBar* bar = view.verticalScrollBar();
  PaintCounter counter(view.viewport());
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < steps; ++i) {
    bar->setValue(bar->value() + 3);
    QCoreApplication::processEvents();
  }
  const double ms = static_cast<double>(t.elapsed()) / steps;
  EXPECT_GE(counter.Paints, steps);
  return ms;
}

// Presses the down arrow (with modifiers), the whole page painted each time or through the event
// loop.
double KeySteps(QTableView& view, int steps, Qt::KeyboardModifiers modifiers, bool wholePage) {
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
  const double ms = static_cast<double>(t.elapsed()) / steps;
  EXPECT_GE(counter.Paints, steps);
  return ms;
}

// A million hits shown, scrolled, stepped through and sorted with the steps painted: run by hand
// with --gtest_also_run_disabled_tests to see the times (performance is tracked in bench/).
TEST(ResultListModel, DISABLED_MillionHitsShowScrollSelectSort) {
  constexpr int kFiles = 20;  // message numbers have five digits
  constexpr int kPerFile = 50000;
  std::vector<std::unique_ptr<TLogData>> logs;
  std::vector<TLogMessage*> hits;
  for (int f = 0; f < kFiles; ++f) {
    LogBuilder b;
    for (int n = 1; n <= kPerFile; ++n) {
      // Titles and dates in an order of their own, so that sorting moves every row.
      const int key = static_cast<int>((n * 7919LL + f * 104729LL) % 1000003);
      char date[16];
      std::snprintf(date, sizeof date, "%02d/%02d/%02d", 90 + key % 10, key / 10 % 12 + 1,
                    key / 120 % 28 + 1);
      b.Add({.Number = n,
             .Title = "件名 " + std::to_string(key),
             .Room = f + 1,
             .Date = date,
             .Body = "本文"});
    }
    logs.push_back(ParsedLog(b.Text(), "f" + std::to_string(f) + ".LOG"));
    for (TLogMessage& m : logs.back()->Messages())
      hits.push_back(&m);
  }
  ASSERT_EQ(hits.size(), static_cast<std::size_t>(kFiles * kPerFile));

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
      "1,000,000 hits: filled and first painted in %lld ms; heap added by a model over them, "
      "reset and a page read: %lld bytes; the view's own row table: %.1f bytes per row\n",
      static_cast<long long>(filled), probeBytes,
      static_cast<double>(viewBytes) / static_cast<double>(hits.size()));
  EXPECT_LT(probeBytes, 65536);

  // Scrolling, then the down arrow held from the middle of the list.
  constexpr int kSteps = 200;
  QScrollBar* bar = view.verticalScrollBar();
  const double paged = PageSteps(view, kSteps);
  bar->setValue(bar->maximum() / 3);  // the bar counts rows
  QCoreApplication::processEvents();
  const double wheeled = WheelSteps(view, kSteps);
  view.setFocus();
  view.setCurrentIndex(model.index(500000, 0));
  QCoreApplication::processEvents();
  const double stepped = KeySteps(view, kSteps, Qt::NoModifier, true);
  const double steppedInLoop = KeySteps(view, kSteps, Qt::NoModifier, false);
  EXPECT_EQ(view.currentIndex().row(), 500000 + 2 * kSteps);
  std::printf(
      "each of %d steps: scroll, page painted %.2f ms; wheel %.2f ms; down arrow, page painted "
      "%.2f ms; down arrow through the event loop %.2f ms\n",
      kSteps, paged, wheeled, stepped, steppedInLoop);

  // Column clicks with 4,000 rows selected (a Shift+click), the current row among them.
  QItemSelectionModel& selection = *view.selectionModel();
  selection.select(QItemSelection(model.index(300000, 0), model.index(303999, 6)),
                   QItemSelectionModel::ClearAndSelect);
  selection.setCurrentIndex(model.index(302000, 0), QItemSelectionModel::NoUpdate);
  const TLogMessage* focused = model.MessageAt(302000);
  SortState state;
  for (const int column : {ColTitle, ColDate, ColTitle}) {
    t.restart();
    model.SortByColumn(search.Results, state, column, &selection);
    const qint64 sorted = t.elapsed();
    view.viewport()->repaint();
    QCoreApplication::processEvents();
    const qint64 shown = t.elapsed();
    EXPECT_EQ(SelectedRowCount(selection.selection()), 4000);
    EXPECT_EQ(model.MessageAt(view.currentIndex().row()), focused);
    std::printf(
        "sort by %s column with 4,000 rows selected: %lld ms, painted after %lld ms "
        "(selection now %lld ranges)\n",
        kColumnCaptions[column], static_cast<long long>(sorted), static_cast<long long>(shown),
        static_cast<long long>(selection.selection().size()));
  }

  // The core's share: the same sort of the bare vector.
  std::vector<TLogMessage*> copy = hits;
  SortState bare;
  t.restart();
  SortResults(copy, bare, kColumnTags[ColTitle]);
  std::printf("the core's sort by title alone: %lld ms\n", static_cast<long long>(t.elapsed()));

  // The same with the scattered selection the sorts left; Ctrl+Down moves the current row and
  // leaves the selection as it is.
  const double pagedSelected = PageSteps(view, kSteps);
  bar->setValue(selection.selection().front().top());
  QCoreApplication::processEvents();
  const double wheeledSelected = WheelSteps(view, kSteps);
  const double steppedSelected = KeySteps(view, kSteps, Qt::ControlModifier, true);
  const double steppedSelectedInLoop = KeySteps(view, kSteps, Qt::ControlModifier, false);
  EXPECT_EQ(SelectedRowCount(selection.selection()), 4000);
  std::printf(
      "with the sorted selection, each of %d steps: scroll, page painted %.2f ms; wheel %.2f ms; "
      "Ctrl+Down, page painted %.2f ms; Ctrl+Down through the event loop %.2f ms\n",
      kSteps, pagedSelected, wheeledSelected, steppedSelected, steppedSelectedInLoop);
}

}  // namespace
}  // namespace yuzulog
