#include "search/ui/resultlistmodel.h"

#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTableView>
#include <algorithm>
#include <unordered_map>
#include <utility>

#include "dialogs/sortarrow.h"
#include "platform/cp932.h"

namespace yuzulog {

namespace {

Qt::Alignment ColumnAlignment(int column) {
  return (kColumnRightAligned[column] ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

// The rows of the results in ascending order as ranges of consecutive rows spanning all columns.
QItemSelection RowRanges(const QAbstractItemModel& model, const std::vector<int>& rows) {
  QItemSelection ranges;
  for (std::size_t i = 0; i < rows.size();) {
    std::size_t last = i;
    while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1)
      ++last;
    ranges.append(QItemSelectionRange(model.index(rows[i], 0),
                                      model.index(rows[last], kResultColumnCount - 1)));
    i = last + 1;
  }
  return ranges;
}

}  // namespace

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FResults.size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kResultColumnCount;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  const TLogMessage* m = MessageAt(index.row());
  if (m == nullptr || index.column() >= kResultColumnCount) return {};
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(Cp932ToUtf8(ColumnText(*m, index.column())));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(ColumnAlignment(index.column()));
    default:
      return {};
  }
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kResultColumnCount)
    return QAbstractTableModel::headerData(section, orientation, role);
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromUtf8(kColumnCaptions[section]);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(ColumnAlignment(section));
    default:
      return {};
  }
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ResultListModel::SortByColumn(std::vector<TLogMessage*>& results, SortState& state, int column,
                                   QItemSelectionModel* selection) {
  Q_ASSERT(&results == &FResults);
  Q_ASSERT(selection == nullptr || selection->model() == this);
  if (column < 0 || column >= kResultColumnCount) return;

  // The messages of the selected rows and of the current row, taken from the selection's ranges
  // rather than from its list of indexes (which has one entry per selected cell).
  std::vector<const TLogMessage*> selectedMessages;
  const TLogMessage* focused = nullptr;
  int focusedColumn = 0;
  if (selection != nullptr) {
    for (const QItemSelectionRange& range : selection->selection())
      for (int row = range.top(); row <= range.bottom(); ++row)
        selectedMessages.push_back(FResults[static_cast<std::size_t>(row)]);
    const QModelIndex current = selection->currentIndex();
    focused = MessageAt(current.row());
    focusedColumn = std::max(current.column(), 0);
    // Emptied before the layout change: the selection model would otherwise keep every selected
    // row as a persistent index across it, only to have the selection replaced afterwards.
    selection->clear();
  }

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // What the views still hold (the cell under the mouse, say) follows its message.
  const QModelIndexList persistent = persistentIndexList();
  std::vector<const TLogMessage*> persistentMessages;
  persistentMessages.reserve(static_cast<std::size_t>(persistent.size()));
  std::unordered_map<const TLogMessage*, int> newRows;
  for (const QModelIndex& index : persistent) {
    persistentMessages.push_back(MessageAt(index.row()));
    newRows.emplace(persistentMessages.back(), -1);
  }

  const CarriedSelection carried =
      ColumnClick(results, state, kColumnTags[column], selectedMessages, focused);

  if (!persistent.isEmpty()) {
    for (std::size_t row = 0; row < FResults.size(); ++row) {
      const auto found = newRows.find(FResults[row]);
      if (found != newRows.end()) found->second = static_cast<int>(row);
    }
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (qsizetype i = 0; i < persistent.size(); ++i)
      moved.append(
          index(newRows[persistentMessages[static_cast<std::size_t>(i)]], persistent[i].column()));
    changePersistentIndexList(persistent, moved);
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  emit SortOrderChanged(column, state.SortDirection < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);

  if (selection == nullptr) return;
  if (!carried.SelectedRows.empty())
    selection->select(RowRanges(*this, carried.SelectedRows), QItemSelectionModel::Select);
  if (carried.FocusedRow >= 0)
    selection->setCurrentIndex(index(carried.FocusedRow, focusedColumn),
                               QItemSelectionModel::NoUpdate);
}

void ResultListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QString text = std::exchange(opt.text, QString());
  opt.features &= ~QStyleOptionViewItem::HasDisplay;
  const QWidget* widget = opt.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  if (text.isEmpty()) return;

  // The margins and colours the style's own item painting uses.
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
  const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                     : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                          : QPalette::Inactive;
  painter->save();
  painter->setFont(opt.font);
  painter->setPen(opt.palette.color(
      group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
  const Qt::Alignment alignment = QStyle::visualAlignment(opt.direction, opt.displayAlignment);
  painter->drawText(textRect, static_cast<int>(alignment) | Qt::TextSingleLine,
                    opt.fontMetrics.elidedText(text, opt.textElideMode, textRect.width()));
  painter->restore();
}

void ApplyColumnWidths(QHeaderView& header, const QFont& listFont) {
  constexpr int kDesignPixelSize = 12;
  const int pixels = QFontInfo(listFont).pixelSize();
  for (int column = 0; column < kResultColumnCount && column < header.count(); ++column)
    header.resizeSection(
        column, (kColumnWidths[column] * pixels + kDesignPixelSize / 2) / kDesignPixelSize);
}

void SetUpResultView(QTableView& view) {
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setSelectionMode(QAbstractItemView::ExtendedSelection);
  view.setShowGrid(false);
  view.setWordWrap(false);
  if (qobject_cast<ResultListDelegate*>(view.itemDelegate()) == nullptr)
    view.setItemDelegate(new ResultListDelegate(&view));
  // One height for every row, taken from the view's font: call again after the font changes.
  QHeaderView* rows = view.verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(view.fontMetrics().height() + 4);
  QHeaderView* columns = view.horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setSectionsClickable(true);
  columns->setHighlightSections(false);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  if (!columns->isSortIndicatorShown()) {
    // Unsorted until a column is clicked.
    columns->setSortIndicator(-1, Qt::AscendingOrder);
    columns->setSortIndicatorShown(true);
    DrawSortIndicatorAsOrder(*columns);
  }
  if (auto* model = qobject_cast<ResultListModel*>(view.model()))
    QObject::connect(model, &ResultListModel::SortOrderChanged, columns,
                     &QHeaderView::setSortIndicator, Qt::UniqueConnection);
  ApplyColumnWidths(*columns, view.font());
}

}  // namespace yuzulog
