#include "mainwindow/ui/messagetreemodel.h"

#include <QHeaderView>
#include <QTreeView>

#include "dialogs/qtfont.h"

#include "platform/cp932.h"

namespace yuzulog {

QTreeView* CreateTreeView(QWidget& parent, MessageTreeModel& model) {
  auto* view = new QTreeView(&parent);
  view->setObjectName(QStringLiteral("TreeView1"));
  view->setHeaderHidden(true);
  view->setUniformRowHeights(true);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setIndentation(19);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  KeepSelectionVisible(*view);
  view->setModel(&model);
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
  if (role != Qt::DisplayRole || !index.isValid() || FTree.Building()) return {};
  return QString::fromStdString(Cp932ToUtf8(FTree.Label(NodeOf(index))));
}

Qt::ItemFlags MessageTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace yuzulog
