// The result list's model: a table over the search window's results vector, which it reads but
// does not own (no item object per row). A cell's text is taken from its message and decoded from
// code page 932 only when the view asks for it, that is for the rows on screen.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <vector>

#include "logdata/logmessage.h"
#include "search/resultlist.h"

class QFont;
class QHeaderView;
class QItemSelectionModel;
class QTableView;

namespace yuzulog {

class ResultListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // results must outlive the model; it changes only between BeginResultsChange and
  // EndResultsChange, or through SortByColumn.
  explicit ResultListModel(const std::vector<TLogMessage*>& results, QObject* parent = nullptr)
      : QAbstractTableModel(parent), FResults(results) {}

  // The results are about to be refilled / have been refilled: one reset, never a notification
  // per row.
  void BeginResultsChange() { beginResetModel(); }
  // A refilled list is in the search's order, sorted by no column.
  void EndResultsChange() {
    endResetModel();
    emit SortOrderChanged(-1, Qt::AscendingOrder);
  }

  // The message of a row; nullptr for a row outside the list.
  const TLogMessage* MessageAt(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < FResults.size()
               ? FResults[static_cast<std::size_t>(row)]
               : nullptr;
  }

  // A click on the header of column: the core sorts results (the vector this model reads) by
  // the column's key and finds the rows of the selected messages and of the current one in the
  // new order; selection (may be nullptr) then selects those rows and makes that row current.
  // One layout change; the selection is read and handed back as ranges of consecutive rows,
  // never row by row.
  void SortByColumn(std::vector<TLogMessage*>& results, SortState& state, int column,
                    QItemSelectionModel* selection);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // The column the rows are now sorted by (-1: none) and in which direction, in the form of the
  // header's sort indicator.
  void SortOrderChanged(int column, Qt::SortOrder order);

 private:
  const std::vector<TLogMessage*>& FResults;
};

// Paints a cell of the list: the style draws its background, selection and focus as usual, and
// the text is drawn here on one line, shortened with an ellipsis when it does not fit. The style's
// own item painting lays a cell's text out three times (to size it, to shorten it, to draw it),
// which makes painting a page of the list about twice as slow.
class ResultListDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

// The list's default column widths, grown or shrunk with the list's font: they were measured for
// a font 12 pixels high, and a larger font would cut the IDs and dates.
void ApplyColumnWidths(QHeaderView& header, const QFont& listFont);

// Sets up a table view as the result list, after its model is set: whole rows selected, several
// at a time, the default column widths, the cell painter above, the header's sort indicator
// following the model's order, and every row one fixed height with no row header, so that the
// view never measures rows (with a million rows, measuring is what makes a list slow). Call it
// again after the view's font changes, best while the list is empty: a new row height is applied to
// every row the view holds.
void SetUpResultView(QTableView& view);

}  // namespace yuzulog
