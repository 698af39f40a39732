// The tables of the statistics window over the core's figures: the rooms, and the writers of
// one room. Each row reads its figures when painted; nothing is copied per row.
#pragma once

#include <QAbstractTableModel>

#include "stats/archivestats.h"

namespace yuzulog {

// The role the views sort by: numbers and dates as numbers, texts as texts.
inline constexpr int kSortRole = Qt::UserRole;

class RoomsModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;
  void SetStats(const ArchiveStats* stats);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const ArchiveStats* FStats = nullptr;
};

class WritersModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;
  // The writers of the room at roomIndex in stats' Rooms (none when -1).
  void SetRoom(const ArchiveStats* stats, int roomIndex);
  // The writer's ID as the header has it (the search compares it whole).
  QString IdAt(int row) const;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const ArchiveStats* FStats = nullptr;
  std::size_t FFirst = 0;
  std::size_t FCount = 0;
};

// Log text (code page 932) for a view.
QString LogText(std::string_view cp932);

}  // namespace yuzulog
