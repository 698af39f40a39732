// The statistics window: the rooms of what is loaded, their messages per month, the writers of
// the chosen room and the lengths of its threads. A tool window of its own; it follows the
// loaded files when told they changed.
#pragma once

#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "platform/settingsfiles.h"
#include "stats/archivestats.h"

class QChartView;
class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace yuzulog {

class LogFiles;
class MessageTree;
class RoomsModel;
class WritersModel;

class TStatsWindow final : public QWidget {
  Q_OBJECT
 public:
  explicit TStatsWindow(QWidget* parent = nullptr);
  ~TStatsWindow() override;

  // What the figures are counted over: the loaded files and the tree built from them (both
  // owned by the caller, which calls Refresh after every change, and Hold or SetSource(nullptr,
  // nullptr) before they change or go).
  void SetSource(const LogFiles* files, const MessageTree* tree);
  // The loaded files changed. The figures are counted on a thread of their own, so that neither
  // opening the window on a large library nor a change while it is open keeps the program
  // waiting (a million messages take a fifth of a second or more); the window shows the figures
  // when they are complete. Several changes in a row are counted once, after them; a hidden
  // window counts when it is shown.
  void Refresh();
  // The files are about to change: a count under way is stopped (this returns once it has), the
  // figures shown stay (they refer to no file), nothing is counted and the title says they are
  // out of date, until SetSource is called again.
  void Hold();
  // Whether a count is under way or owed to a shown window; Counted() is sent when it has been
  // shown.
  bool Counting() const { return FCounting || FRecountQueued; }
  // The figures now shown.
  const ArchiveStats& Stats() const { return FStats; }

  // The place and size from dir + "Stats.INI" (fitted to the desktop), and back.
  void LoadStatsSettings(const std::string& dir);
  bool SaveStatsSettings(const std::string& dir);

  // The parts, for the tests and the screenshot.
  QTableView* RoomsView() const { return FRoomsView; }
  QTableView* WritersView() const { return FWritersView; }
  QChartView* MonthsChart() const { return FMonthsChart; }
  QChartView* LengthsChart() const { return FLengthsChart; }

 signals:
  // A writer was double-clicked or Enter pressed on it: search for this ID.
  void WriterActivated(const QString& id);
  // The figures of the last count are shown.
  void Counted();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Recount();
  void StopCounting();
  void ShowCounted(ArchiveStats stats);
  void ShowRoom();
  int ChosenRoomIndex() const;
  void FillMonthsChart(int roomIndex);
  void FillLengthsChart(int roomIndex);
  void ChartMenu(QChartView* view, const QPoint& pos);
  void SaveChart(QChartView* view, bool svg);

  const LogFiles* FFiles = nullptr;
  const MessageTree* FTree = nullptr;
  ArchiveStats FStats;
  bool FStale = true;  // the files changed since the last count
  bool FRecountQueued = false;
  bool FHeld = false;
  // The count on its thread: the generation tells a result apart from one a newer count replaced.
  std::thread FCounter;
  std::atomic<bool> FCancel = false;
  std::uint64_t FGeneration = 0;
  bool FCounting = false;
  SettingsReport FSettingsReport;

  QTableView* FRoomsView = nullptr;
  QTableView* FWritersView = nullptr;
  QLabel* FWritersLabel = nullptr;
  QChartView* FMonthsChart = nullptr;
  QChartView* FLengthsChart = nullptr;
  std::unique_ptr<RoomsModel> FRooms;
  std::unique_ptr<WritersModel> FWriters;
  QSortFilterProxyModel* FWritersSorted = nullptr;
};

}  // namespace yuzulog
