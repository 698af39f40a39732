// The statistics window: the rooms of what is loaded, their messages per month, the writers of
// the chosen room and the lengths of its threads. A tool window of its own; it follows the
// loaded files when told they changed.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

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
  // owned by the caller, which calls Refresh after every change and SetSource(nullptr, nullptr)
  // before they go).
  void SetSource(const LogFiles* files, const MessageTree* tree);
  // The loaded files changed. The figures are counted again on the window's thread: a million
  // messages take about a sixth of a second (the first count, which also works out every date,
  // takes longer), and a thread of its own would read files the main window may remove
  // meanwhile. Several changes in a row are counted once, after them; a hidden window counts
  // when it is shown.
  void Refresh();
  // The files are about to change: the figures shown stay (they refer to no file), nothing is
  // counted and the title says they are out of date, until SetSource is called again.
  void Hold();
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

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Recount();
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
