// The tree pane's model: reads the core's MessageTree directly (no item object per node). The
// internal id of an index is the node's number; labels are decoded from code page 932 only when
// a row is asked for.
#pragma once

#include <QAbstractItemModel>

class QTreeView;

#include "mainwindow/messagetree.h"

namespace yuzulog {

class MessageTreeModel;

// The tree pane over model: no header, one row height, one node selected at a time, labels that
// scroll sideways, a context menu of its owner's.
QTreeView* CreateTreeView(QWidget& parent, MessageTreeModel& model);

class MessageTreeModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  explicit MessageTreeModel(const MessageTree& tree, QObject* parent = nullptr)
      : QAbstractItemModel(parent), FTree(tree) {}

  // The tree is about to change / has changed as a whole: one reset, never a notification per
  // node.
  void BeginTreeChange() { beginResetModel(); }
  void EndTreeChange() { endResetModel(); }

  // The node of an index (MessageTree::kNone for the invisible root).
  static std::int32_t NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<std::int32_t>(index.internalId()) : MessageTree::kNone;
  }
  QModelIndex IndexOfNode(std::int32_t node) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const MessageTree& FTree;
};

}  // namespace yuzulog
