// Loading log files into the main window: the open and add commands, the load loop run inside
// the progress window, the report after it, and the answers the window gives to the loop's
// questions.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTreeView>
#include <QUrl>
#include <utility>

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/progressdlg.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/searchwindow.h"

namespace yuzulog {
namespace {

QString U(const std::string& s) {
  return QString::fromStdString(s);
}

// Paths keep the file system's bytes; the interface shows them decoded.
std::string PathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// The reload question's answers are the four-answer box's buttons; Cancel is the box closed.
constexpr std::pair<ReloadAnswer, ModalResult> kReloadButtons[] = {
    {ReloadAnswer::Yes, ModalResult::Yes},           {ReloadAnswer::No, ModalResult::No},
    {ReloadAnswer::YesToAll, ModalResult::YesToAll}, {ReloadAnswer::NoToAll, ModalResult::NoToAll},
    {ReloadAnswer::Cancel, ModalResult::Cancel},
};

// The local files among dropped items, as paths; folders and remote addresses are left out.
std::vector<std::string> DroppedFiles(const QMimeData& data) {
  std::vector<std::string> paths;
  for (const QUrl& url : data.urls())
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
      paths.push_back(PathBytes(url.toLocalFile()));
  return paths;
}

// The parent for a box asked during an operation: the progress window when it runs.
QWidget* BoxParent(QWidget* fallback) {
  QWidget* modal = QApplication::activeModalWidget();
  return modal ? modal : fallback;
}

}  // namespace

// The load loop's questions and notices, answered with the window's boxes.
class TMainForm::LoadCallbacksImpl final : public LoadCallbacks {
 public:
  explicit LoadCallbacksImpl(TMainForm& form) : FForm(form) {}

  ReloadAnswer AskReload(const std::string& caption, const std::string& message,
                         ReloadAnswer defaultAnswer) override {
    ModalResult defaultButton = ModalResult::No;
    for (const auto& [answer, button] : kReloadButtons)
      if (answer == defaultAnswer) defaultButton = button;
    const ModalResult pressed =
        Dialogs().AskYesNoAll(U(message), U(caption), defaultButton, Qt::AlignLeft);
    for (const auto& [answer, button] : kReloadButtons)
      if (button == pressed) return answer;
    return ReloadAnswer::Cancel;
  }
  bool AskStopAfterFailure(const std::string& path, const LoadResult&) override {
    return Dialogs().MessageBox(BoxParent(&FForm), U(LoadFailedQuestionText(path)),
                                QStringLiteral("エラー"), MsgButtons::YesNo, MsgIcon::Error,
                                ModalResult::Yes) == ModalResult::Yes;
  }
  void NoticeCancelled(const std::string& message) override {
    Dialogs().MessageBox(BoxParent(&FForm), U(message), ApplicationTitle(), MsgButtons::Ok,
                         MsgIcon::None, ModalResult::Ok);
  }
  void ClearViews() override { FForm.ClearViews(); }
  OpStatus RebuildTree(LogFiles& files, Progress& progress) override {
    FForm.ClearViews();
    const OpStatus status = BuildMessageTree(files, FForm.FTree, progress);
    FForm.TreeBuilt();
    return status;
  }

 private:
  TMainForm& FForm;
};

std::vector<std::string> TMainForm::ChooseLogFiles(const QString& folder) {
  std::vector<std::string> paths;
  for (const QString& p : Dialogs().GetOpenFileNames(this, {}, folder, LogFileFilter()))
    paths.push_back(PathBytes(p));
  return paths;
}

void TMainForm::ActionOpenArchiveExecute() {
  const std::vector<std::string> paths = ChooseLogFiles();
  if (paths.empty()) return;
  WaitCursor wait;
  AddRecentFolder(paths.front());
  LoadAskingForAddMode(paths, QStringLiteral("ログファイルを追加モードで開きますか？"),
                       QStringLiteral("ログファイルを開く"));
}

void TMainForm::LoadAskingForAddMode(const std::vector<std::string>& paths, const QString& question,
                                     const QString& caption) {
  if (FLogFiles.Empty() || !ShiftHeld || !ShiftHeld()) {
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
  AddRecentFolder(paths.front());
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
        AddRecentFolder(paths.front());
        LoadFileList(paths, add);
      },
      Qt::QueuedConnection);
}

void TMainForm::LoadFileList(const std::vector<std::string>& paths, bool add) {
  WaitCursor wait;
  TProgressDlg dlg(this);
  dlg.SetOptions(pdoLabel | pdoProgressBar);
  dlg.SetCaption(add ? "ログファイルの追加" : "ログファイルの読み込み");
  dlg.OnText = [this](const std::string& text) { SetStatus(U(text)); };
  bool showLogList = false;
  dlg.Execute([this, add, &paths, &showLogList](TProgressDlg& d) {
    LoadCallbacksImpl callbacks(*this);
    d.SetOptions(d.Options() | pdoCancelBtn);
    if (add)
      ExecuteAdd(FLogFiles, paths, d, callbacks);
    else
      ExecuteOpen(FLogFiles, paths, d, callbacks);
    d.SetOptions(d.Options() & ~pdoCancelBtn);
    showLogList = ShowLoadReport();
  });
  ExpandIfSingleRoom();
  if (FSearchWindow) FSearchWindow->UpdateSearchEnabled();
  // After the progress window has closed: removing files from the list runs one of its own.
  if (showLogList) ActionLogDataExecute();
}

bool TMainForm::ShowLoadReport() {
  const LoadReport report = BuildLoadReport(FLogFiles);
  SetStatus(U(report.StatusText));
  if (report.OverlapLines.empty()) {
    Dialogs().ShowTimedNotice(U(report.StatusText), 1000);
    return false;
  }
  return Dialogs().MessageBox(BoxParent(this), U(report.WarningText()),
                              QStringLiteral("ログデータの警告"), MsgButtons::YesNo,
                              MsgIcon::Warning, ModalResult::Yes) == ModalResult::Yes;
}

void TMainForm::ExpandIfSingleRoom() {
  if (FLogFiles.SingleRoom() && FTreeModel->rowCount() > 0)
    TreeView1->expand(FTreeModel->index(0, 0));
}

void TMainForm::ClearViews() {
  if (FSearchWindow) FSearchWindow->ClearResults();
  ForgetMessages();
  ClearView();
}

void TMainForm::ForgetMessages() {
  FHistory.ClearHistory();
  FCurrentMessage = nullptr;
  // Whatever the emptied tree does with its current node asks for nothing to be shown: the files
  // behind it may be about to go.
  const QSignalBlocker detached(TreeView1->selectionModel());
  FTreeModel->BeginTreeChange();
  FTree.Clear();
  FTreeModel->EndTreeChange();
}

void TMainForm::TreeBuilt() {
  FTreeModel->BeginTreeChange();
  FTreeModel->EndTreeChange();
  TreeView1->selectionModel()->clear();
  if (FTree.FirstNode() != MessageTree::kNone)
    TreeView1->setCurrentIndex(FTreeModel->IndexOfNode(FTree.FirstNode()));
  // The arrow keys move through the messages at once. The progress window is still up: the tree
  // becomes the window's focus widget and takes the focus when the window is active again.
  TreeView1->setFocus(Qt::OtherFocusReason);
}

void TMainForm::RemoveLogFiles(const std::vector<const TLogData*>& files) {
  WaitCursor wait;
  TProgressDlg dlg(this);
  dlg.SetOptions(pdoLabel | pdoProgressBar);
  dlg.OnText = [this](const std::string& text) { SetStatus(U(text)); };
  dlg.Execute([this, &files](TProgressDlg& d) {
    LoadCallbacksImpl callbacks(*this);
    yuzulog::RemoveLogFiles(FLogFiles, files, d, callbacks);
  });
  ExpandIfSingleRoom();
  SetStatus(U(MessageTotalText(FLogFiles.TotalMessages())));
  if (FSearchWindow) FSearchWindow->UpdateSearchEnabled();
}

}  // namespace yuzulog
