#include "search/ui/resultlistmodel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <memory>

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

  // Numbers line up on the right, text on the left, and each header as its column.
  for (int column = 0; column < kResultColumnCount; ++column) {
    SCOPED_TRACE(column);
    bool number = false;
    text(column).trimmed().toLongLong(&number);
    const auto cell = Model.index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    EXPECT_EQ(cell, (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    EXPECT_EQ(
        Model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
        cell);
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
  QFont font = view.font();
  font.setPixelSize(12);  // the size the default widths were made for
  view.setFont(font);
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

  // A larger font: the widest ID and a date still fit their columns.
  font.setPixelSize(16);
  view.setFont(font);
  SetUpResultView(view);
  EXPECT_LT(QFontMetrics(font).horizontalAdvance(QStringLiteral("WWW99999")),
            view.horizontalHeader()->sectionSize(ColID));
  EXPECT_LT(QFontMetrics(font).horizontalAdvance(QStringLiteral("98/12/28")),
            view.horizontalHeader()->sectionSize(ColDate));
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

  QHeaderView& header = *view.horizontalHeader();
  EXPECT_TRUE(header.isSortIndicatorShown());
  EXPECT_EQ(header.sortIndicatorSection(), -1);
  Model.SortByColumn(Results, state, ColTitle, &selection);
  EXPECT_EQ(Numbers(), (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(header.sortIndicatorSection(), ColTitle);
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder);
  Model.SortByColumn(Results, state, ColTitle, &selection);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 3, 2}));
  EXPECT_EQ(header.sortIndicatorOrder(), Qt::DescendingOrder);
  EXPECT_EQ(Model.index(0, ColTitle).data().toString(), QStringLiteral("c"));
  EXPECT_EQ(SelectedNumbers(selection), std::vector<int>{3});
  EXPECT_EQ(view.currentIndex().row(), 1);

  Model.SortByColumn(Results, state, ColNumber, nullptr);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 3}));
  // Without a selection model handed over, the view's own selection still follows its message.
  EXPECT_EQ(SelectedNumbers(selection), std::vector<int>{3});
  EXPECT_EQ(header.sortIndicatorSection(), ColNumber);
  // A refill is in the search's order: no column shows a sort.
  Model.BeginResultsChange();
  Model.EndResultsChange();
  EXPECT_EQ(header.sortIndicatorSection(), -1);
}

}  // namespace
}  // namespace yuzulog
