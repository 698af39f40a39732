// The main window's side of the export and statistics commands: their windows belong to features
// this window does not know, so the program hands them over and the commands open them.
#include <QAction>

#include "dialogs/toolwindow.h"
#include "mainwindow/ui/mainform.h"

namespace yuzulog {

void TMainForm::SetToolWindows(ToolWindow* exporter, ToolWindow* stats) {
  FExportWindow = exporter;
  FStatsWindow = stats;
  commands.exportLogs->setEnabled(exporter != nullptr);
  commands.stats->setEnabled(stats != nullptr);
  // Given again, the commands must still open their window once.
  connect(commands.exportLogs, &QAction::triggered, this, &TMainForm::ActionExportExecute,
          Qt::UniqueConnection);
  connect(commands.stats, &QAction::triggered, this, &TMainForm::ActionStatsExecute,
          Qt::UniqueConnection);
}

void TMainForm::ActionExportExecute() {
  if (FExportWindow) FExportWindow->Open(this);
}

void TMainForm::ActionStatsExecute() {
  if (FStatsWindow) FStatsWindow->Open(this);
}

}  // namespace yuzulog
