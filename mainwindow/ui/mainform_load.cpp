// Loading log files into the main window: the open and add commands, dropped files, the load
// loop run inside the progress window, the report after it, and the log list.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeView>
#include <climits>

#include "dialogs/dialogseam.h"
#include "dialogs/loadquestions.h"
#include "dialogs/loglistform.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/progressdlg.h"
#include "dialogs/qthelpers.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/loglist.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"

namespace yuzulog {
namespace {

// Failure lines an unattended run prints before it only counts them: about a screenful.
constexpr int kUnattendedFailuresTold = 20;

}  // namespace

std::vector<std::string> TMainForm::ChooseLogFiles(const QString& folder) {
  // Without a folder of its own the dialog starts where files were last taken from.
  QString start = folder;
  if (start.isEmpty() && !FWorkspace.RecentFolders().empty())
    start = QString::fromStdString(FWorkspace.RecentFolders().front());
  std::vector<std::string> paths;
  for (const QString& p : Dialogs().GetOpenFileNames(this, {}, start, LogFileFilter()))
    paths.push_back(PathBytes(p));
  return paths;
}

void TMainForm::ActionOpenArchiveExecute() {
  const std::vector<std::string> paths = ChooseLogFiles();
  if (paths.empty()) return;
  WaitCursor wait;
  FWorkspace.AddRecentFolder(paths.front());
  LoadAskingForAddMode(paths, QStringLiteral("ログファイルを追加モードで開きますか？"),
                       QStringLiteral("ログファイルを開く"));
}

void TMainForm::LoadAskingForAddMode(const std::vector<std::string>& paths, const QString& question,
                                     const QString& caption) {
  if (FWorkspace.Files().Empty() || !ShiftHeld || !ShiftHeld()) {
    LoadFileList(paths, false);
    return;
  }
  const ModalResult answer = Dialogs().MessageBox(this, question, caption, MsgButtons::YesNoCancel,
                                                  MsgIcon::Question, ModalResult::Cancel);
  if (answer == ModalResult::Yes)
    LoadFileList(paths, true);
  else if (answer == ModalResult::No)
    LoadFileList(paths, false);
}

void TMainForm::ActionAddArchiveExecute() {
  const std::vector<std::string> paths = ChooseLogFiles();
  if (paths.empty()) return;
  WaitCursor wait;
  FWorkspace.AddRecentFolder(paths.front());
  LoadFileList(paths, true);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFiles(*event->mimeData()).empty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = DroppedFiles(*event->mimeData());
  if (paths.empty()) return;
  event->acceptProposedAction();
  const bool add = event->modifiers() & Qt::ShiftModifier;
  // The drop ends first, so the program the files came from is not kept waiting while they load.
  QMetaObject::invokeMethod(
      this,
      [this, paths, add] {
        WaitCursor wait;
        FWorkspace.AddRecentFolder(paths.front());
        LoadFileList(paths, add);
      },
      Qt::QueuedConnection);
}

void TMainForm::LoadFileList(const std::vector<std::string>& paths, bool add) {
  WaitCursor wait;
  bool showLogList = false;
  BoxLoadQuestions boxes(*this);
  // Nobody answers the boxes of an unattended run: past a screenful its failures are counted.
  const bool unattended = &Dialogs() == &UnattendedDialogs();
  FailuresAskedUpTo questions(boxes, unattended ? kUnattendedFailuresTold : INT_MAX);
  // Loading runs with a cancel button; the report after it without one.
  RunWithProgress(this, ProgressOptions::Bar, add ? "ログファイルの追加" : "ログファイルの読み込み",
                  [&](TProgressDlg& d) {
                    d.OnText = [this](const std::string& text) { SetStatus(U(text)); };
                    d.ShowCancelButton(true);
                    // A cancel keeps what was loaded (the loop has said so) and is reported
                    // like any load.
                    FWorkspace.Load(paths, add, d, questions);
                    d.ShowCancelButton(false);
                    if (questions.Unasked() > 0)
                      Dialogs().ShowTimedNotice(U(MoreFailuresText(questions.Unasked())), 1000);
                    showLogList = ShowLoadReport();
                  });
  ExpandIfSingleRoom();
  // The window system gives the focus back to whichever window it likes (the search window, when
  // it is shown): the loaded tree is what the person reads next.
  raise();
  activateWindow();
  treeView->setFocus(Qt::OtherFocusReason);
  // After the progress window has closed: removing files from the list runs one of its own.
  if (showLogList) ActionLogDataExecute();
}

bool TMainForm::ShowLoadReport() {
  const LoadReport report = BuildLoadReport(FWorkspace.Files());
  SetStatus(U(report.StatusLine()));
  if (report.OverlapLines.empty()) {
    Dialogs().ShowTimedNotice(U(report.StatusText), 1000);
    return false;
  }
  return Dialogs().MessageBox(
             DialogParent(this),
             U(OverlapWarningText(report, static_cast<std::size_t>(MessageBoxLinesOnScreen(this)))),
             QStringLiteral("ログデータの警告"), MsgButtons::YesNo, MsgIcon::Warning,
             ModalResult::Yes) == ModalResult::Yes;
}

void TMainForm::ExpandIfSingleRoom() {
  if (FWorkspace.Files().SingleRoom() && treeModel->rowCount() > 0)
    treeView->expand(treeModel->index(0, 0));
}

void TMainForm::RemoveLogFiles(const std::vector<const TLogData*>& files) {
  WaitCursor wait;
  RunWithProgress(this, ProgressOptions::Bar, {}, [&](TProgressDlg& d) {
    d.OnText = [this](const std::string& text) { SetStatus(U(text)); };
    FWorkspace.RemoveFiles(files, d);
  });
  ExpandIfSingleRoom();
  SetStatus(U(MessageTotalText(FWorkspace.Files().TotalMessages())));
}

void TMainForm::ActionLogDataExecute() {
  TLogListForm form(
      FWorkspace.Files(),
      [this](const std::vector<const TLogData*>& files) { RemoveLogFiles(files); }, this);
  form.FillLogList();
  Dialogs().Execute(form);
}

}  // namespace yuzulog
