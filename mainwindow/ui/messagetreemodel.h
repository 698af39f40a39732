// The tree pane's model: reads the core's MessageTree directly (no item object per node). The
// internal id of an index is the node's number; labels are decoded from code page 932 only when
// a row is asked for.
#pragma once

#include <QAbstractItemModel>

class QTreeView;

#include <span>
#include <vector>

#include "mainwindow/messagetree.h"
#include "marks/readorder.h"

namespace yuzulog {

class MessageTreeModel;

// The tree pane over model: no header, one row height, one node selected at a time, labels that
// scroll sideways, a context menu of its owner's; unread messages in bold and the unread counts
// in grey after the labels, painted by the view's delegate so that the labels stay as they are.
QTreeView* CreateTreeView(QWidget& parent, MessageTreeModel& model);

class MessageTreeModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  // Whether a message node is unread (bool), and the number of unread messages under a node
  // (int, 0 without children or marks). Both stay empty while the read marks are not known.
  enum Role { UnreadRole = Qt::UserRole + 1, UnreadBelowRole };

  explicit MessageTreeModel(const MessageTree& tree, QObject* parent = nullptr)
      : QAbstractItemModel(parent), FTree(tree) {}

  // The read marks to show (nullptr or none known: the tree as it is without marks); read must
  // stay until the next call or the next tree change. The counts are made here, once per
  // change, and every row is repainted.
  void SetReadMarks(const NodeBits* read);
  // The read bits of nodes (message nodes, each once) became read in the marks last given: only
  // their ancestors are counted again, and only the rows that look different are repainted.
  void ReadMarksChanged(std::span<const std::int32_t> nodes, bool read);

  // The tree is about to change / has changed as a whole: one reset, never a notification per
  // node. The read marks are forgotten with the tree.
  void BeginTreeChange() {
    beginResetModel();
    FRead = nullptr;
    FUnreadBelow.clear();
  }
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
  bool MarksShown() const;
  void RowsChanged(std::span<const std::int32_t> nodes);

  const MessageTree& FTree;
  const NodeBits* FRead = nullptr;
  std::vector<std::int32_t> FUnreadBelow;  // by node
};

}  // namespace yuzulog
