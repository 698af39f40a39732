#include "stats/ui/statstool.h"

#include "dialogs/progressdlg.h"
#include "platform/cp932.h"
#include "stats/ui/statswindow.h"

namespace yuzulog {

StatsTool::StatsTool(Workspace& workspace)
    : FWorkspace(workspace), FWindow(std::make_unique<TStatsWindow>()) {
  FWindow->SetSource(&FWorkspace.Files(), &FWorkspace.Tree());
  connect(FWindow.get(), &TStatsWindow::WriterActivated, this, &StatsTool::SearchWriter);
  FWorkspace.AddObserver(*this);
}

StatsTool::~StatsTool() {
  FWorkspace.RemoveObserver(*this);
}

void StatsTool::Open(QWidget* /*owner*/) {
  FWindow->show();
  FWindow->raise();
  FWindow->activateWindow();
}

void StatsTool::LoadSettings(const std::string& dir) {
  FWindow->LoadStatsSettings(dir);
}

bool StatsTool::SaveSettings(const std::string& dir) {
  return FWindow->SaveStatsSettings(dir);
}

void StatsTool::MessagesAboutToBeForgotten() {
  FWindow->Hold();
}

void StatsTool::FilesChanged() {
  FWindow->SetSource(&FWorkspace.Files(), &FWorkspace.Tree());
}

void StatsTool::SearchWriter(const QString& id) {
  // The ID came from the logs' own bytes, so it always has a code page 932 form.
  const std::string bytes = Utf8ToCp932(id.toStdString()).bytes;
  // A cancelled search leaves the hits found so far as the results, which the search window
  // shows as it shows them after its own cancelled search; only a search that broke off with an
  // error (told in a box) brings nothing up.
  const ModalResult run = RunWithProgress(
      FWindow.get(), ProgressOptions::BarAndCancel, {},
      [&](TProgressDlg& d) { static_cast<void>(FWorkspace.SearchByWriterID(bytes, d)); });
  if (run == ModalResult::Abort) return;
  FWorkspace.ShowSearchWindow();
}

}  // namespace yuzulog
