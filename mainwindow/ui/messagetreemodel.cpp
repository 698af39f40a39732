#include "mainwindow/ui/messagetreemodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>
#include <utility>

#include "dialogs/qtfont.h"

#include "platform/cp932.h"

namespace yuzulog {
namespace {

// Unread labels in bold; after a label with unread messages under it, their number in grey.
class UnreadDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QString count = CountText(index);
    if (!count.isEmpty()) size.rwidth() += option.fontMetrics.horizontalAdvance(count);
    return size;
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    const QString count = CountText(index);
    if (count.isEmpty()) return;
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    const QWidget* widget = o.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &o, widget);
    // The label's own margin, as the style draws it.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    text.setLeft(text.left() + margin + QFontMetrics(o.font).horizontalAdvance(o.text));
    painter->save();
    painter->setFont(option.font);
    painter->setPen(o.palette.color(QPalette::Disabled, QPalette::Text));
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, count);
    painter->restore();
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(MessageTreeModel::UnreadRole).toBool()) option->font.setBold(true);
  }

 private:
  static QString CountText(const QModelIndex& index) {
    const int count = index.data(MessageTreeModel::UnreadBelowRole).toInt();
    return count > 0 ? QStringLiteral(" (%1)").arg(count) : QString();
  }
};

bool MarksOnly(const QList<int>& roles) {
  return !roles.isEmpty() && std::all_of(roles.begin(), roles.end(), [](int role) {
    return role == Qt::FontRole || role == MessageTreeModel::UnreadRole ||
           role == MessageTreeModel::UnreadBelowRole;
  });
}

class TreeView final : public QTreeView {
 public:
  using QTreeView::QTreeView;

 protected:
  // Read marks change how rows are painted, never their height or children: what is on screen is
  // painted again. The tree view would look every changed row up among the rows it shows, one by
  // one, which took seconds for a thread of 500 in a million-node tree.
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) override {
    if (MarksOnly(roles))
      viewport()->update();
    else
      QTreeView::dataChanged(topLeft, bottomRight, roles);
  }
};

}  // namespace

QTreeView* CreateTreeView(QWidget& parent, MessageTreeModel& model) {
  auto* view = new TreeView(&parent);
  view->setObjectName(QStringLiteral("TreeView1"));
  view->setHeaderHidden(true);
  view->setUniformRowHeights(true);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setIndentation(19);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  KeepSelectionVisible(*view);
  view->setModel(&model);
  view->setItemDelegate(new UnreadDelegate(view));
  // Long labels scroll sideways instead of being cut off; only rows on screen are measured.
  view->header()->setStretchLastSection(false);
  view->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  return view;
}

QModelIndex MessageTreeModel::IndexOfNode(std::int32_t node) const {
  if (node == MessageTree::kNone || FTree.Building() || node >= FTree.NodeCount()) return {};
  return createIndex(FTree.At(node).Row, 0, static_cast<quintptr>(node));
}

QModelIndex MessageTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0 || row >= rowCount(parent)) return {};
  const std::int32_t node = FTree.Child(NodeOf(parent), row);
  return createIndex(row, 0, static_cast<quintptr>(node));
}

QModelIndex MessageTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || FTree.Building()) return {};
  return IndexOfNode(FTree.At(NodeOf(child)).Parent);
}

int MessageTreeModel::rowCount(const QModelIndex& parent) const {
  // While the tree is being built the view sees an empty tree.
  if (FTree.Building() || parent.column() > 0) return 0;
  return FTree.ChildCount(NodeOf(parent));
}

int MessageTreeModel::columnCount(const QModelIndex&) const {
  return 1;
}

bool MessageTreeModel::hasChildren(const QModelIndex& parent) const {
  return rowCount(parent) > 0;
}

QVariant MessageTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || FTree.Building()) return {};
  const std::int32_t node = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(Cp932ToUtf8(FTree.Label(node)));
    case UnreadRole:
      if (!MarksShown()) return {};
      return FTree.At(node).Message && !FRead->Test(node);
    case UnreadBelowRole:
      if (!MarksShown()) return {};
      return FUnreadBelow[static_cast<std::size_t>(node)];
    default:
      return {};
  }
}

bool MessageTreeModel::MarksShown() const {
  return FRead && FRead->Count() == FTree.NodeCount() &&
         FUnreadBelow.size() == static_cast<std::size_t>(FTree.NodeCount());
}

void MessageTreeModel::SetReadMarks(const NodeBits* read) {
  const bool known = read && read->Count() > 0 && read->Count() == FTree.NodeCount();
  FRead = known ? read : nullptr;
  if (known)
    FUnreadBelow = UnreadCounts(FTree, *read);
  else
    FUnreadBelow.clear();
  // One notice for the whole tree: the view repaints what it shows, nothing is asked per node.
  const int rows = rowCount();
  if (rows > 0)
    emit dataChanged(index(0, 0), index(rows - 1, 0), {Qt::FontRole, UnreadRole, UnreadBelowRole});
}

void MessageTreeModel::ReadMarksChanged(std::span<const std::int32_t> nodes, bool read) {
  // Without marks shown nothing on screen depends on them.
  if (!MarksShown() || nodes.empty()) return;
  RowsChanged(AdjustUnreadCounts(FTree, FUnreadBelow, nodes, read));
}

void MessageTreeModel::RowsChanged(std::span<const std::int32_t> nodes) {
  // One notice per run of neighbouring rows under one parent: a view looks every notice's rows
  // up, and a thread marked read is mostly such runs.
  std::vector<std::pair<std::int32_t, int>> rows;  // (parent, row)
  rows.reserve(nodes.size());
  for (const std::int32_t node : nodes)
    rows.emplace_back(FTree.At(node).Parent, FTree.At(node).Row);
  std::sort(rows.begin(), rows.end());
  const QList<int> roles{Qt::FontRole, UnreadRole, UnreadBelowRole};
  for (std::size_t i = 0; i < rows.size();) {
    std::size_t j = i + 1;
    while (j < rows.size() && rows[j].first == rows[i].first &&
           rows[j].second == rows[j - 1].second + 1)
      ++j;
    const QModelIndex parent = IndexOfNode(rows[i].first);
    emit dataChanged(index(rows[i].second, 0, parent), index(rows[j - 1].second, 0, parent), roles);
    i = j;
  }
}

Qt::ItemFlags MessageTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace yuzulog
