#include "stats/ui/statsmodels.h"

#include <algorithm>

#include "platform/cp932.h"

namespace yuzulog {
namespace {

QVariant NumberCell(long long n, int role) {
  if (role == Qt::DisplayRole) return QString::number(n);
  if (role == kSortRole) return n;
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  return {};
}

QVariant DateCell(FileTime t, int role) {
  if (role == Qt::DisplayRole) return QString::fromStdString(IsoDateText(t));
  if (role == kSortRole) return static_cast<qlonglong>(t);
  return {};
}

QVariant TextCell(const QString& text, int role) {
  if (role == Qt::DisplayRole || role == kSortRole) return text;
  return {};
}

}  // namespace

QString LogText(std::string_view cp932) {
  return QString::fromStdString(Cp932ToUtf8(cp932));
}

void RoomsModel::SetStats(const ArchiveStats* stats) {
  beginResetModel();
  FStats = stats;
  endResetModel();
}

int RoomsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !FStats ? 0 : static_cast<int>(FStats->Rooms.size());
}

int RoomsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 7;
}

QVariant RoomsModel::data(const QModelIndex& index, int role) const {
  if (!FStats || !index.isValid()) return {};
  const RoomFigures& r = FStats->Rooms[static_cast<std::size_t>(index.row())];
  switch (index.column()) {
    case 0:
      if (role == Qt::DisplayRole) return QStringLiteral("%1 番会議室").arg(r.Room);
      return NumberCell(r.Room, role == Qt::DisplayRole ? -1 : role);
    case 1:
      return NumberCell(r.Messages, role);
    case 2:
      return NumberCell(r.Threads, role);
    case 3:
      return NumberCell(r.Writers, role);
    case 4:
      return DateCell(r.First, role);
    case 5:
      return DateCell(r.Last, role);
    default:
      return TextCell(QString::fromStdString(IsoMonthText(r.BusiestMonth)), role);
  }
}

QVariant RoomsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[] = {"会議室",     "発言数",     "スレッド数", "発言者数",
                                         "最初の発言", "最後の発言", "最も多い月"};
  return QString::fromUtf8(kHeaders[section]);
}

void WritersModel::SetRoom(const ArchiveStats* stats, int roomIndex) {
  beginResetModel();
  FStats = stats;
  FFirst = FCount = 0;
  if (stats && roomIndex >= 0) {
    const std::int32_t room = stats->Rooms[static_cast<std::size_t>(roomIndex)].Room;
    // Writers are kept by room: the room's writers are one run.
    const auto& all = stats->Writers;
    const auto first = std::partition_point(all.begin(), all.end(),
                                            [&](const WriterFigures& w) { return w.Room < room; });
    const auto last = std::partition_point(first, all.end(),
                                           [&](const WriterFigures& w) { return w.Room == room; });
    FFirst = static_cast<std::size_t>(first - all.begin());
    FCount = static_cast<std::size_t>(last - first);
  }
  endResetModel();
}

QString WritersModel::IdAt(int row) const {
  if (!FStats || row < 0 || static_cast<std::size_t>(row) >= FCount) return {};
  return LogText(FStats->Writers[FFirst + static_cast<std::size_t>(row)].ID);
}

int WritersModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FCount);
}

int WritersModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 6;
}

QVariant WritersModel::data(const QModelIndex& index, int role) const {
  if (!FStats || !index.isValid()) return {};
  const WriterFigures& w = FStats->Writers[FFirst + static_cast<std::size_t>(index.row())];
  switch (index.column()) {
    case 0:
      return TextCell(LogText(w.ID), role);
    case 1:
      return TextCell(LogText(w.Handle), role);
    case 2:
      return NumberCell(w.Messages, role);
    case 3:
      return NumberCell(w.Threads, role);
    case 4:
      return DateCell(w.First, role);
    default:
      return DateCell(w.Last, role);
  }
}

QVariant WritersModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[] = {"ID",           "ハンドル名", "発言数",
                                         "開始スレッド", "最初の発言", "最後の発言"};
  return QString::fromUtf8(kHeaders[section]);
}

}  // namespace yuzulog
