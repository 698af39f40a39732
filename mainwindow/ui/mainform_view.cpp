// The main window as the workspace's view: what it does when messages are forgotten, the tree is
// rebuilt or a message is to be shown, and the deferred drawing of the message view.
#include <QAction>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/qtfont.h"
#include "dialogs/qthelpers.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/messageview.h"

namespace yuzulog {

// Runs once, at creation: the view kind does not change while the program runs. Mode 0 is the
// browser view (the rich-text view when the program has no browser engine), any other value the
// rich-text view; the view fills the splitter's second pane, which owns its control.
void TMainForm::CreateView(int mode) {
  if (mode == 0) view = CreateBrowserView(FWorkspace);
  if (!view) view = CreateRichTextView();
  view->OnLoaded = [] {};
  view->OnGotoMessage = [this](MessageAddress target) { GotoMessage(target); };
  view->OnScrolled = [this](double from) { PagePassed(from); };
  QWidget* control = view->Widget();
  control->setObjectName(QStringLiteral("FView"));
  control->setFont(font());
  splitter->addWidget(control);
  splitter->setStretchFactor(1, 1);
  ApplyColor();
}

// Whatever the emptied tree does with its current node asks for nothing to be shown: the files
// behind it may be about to go.
void TMainForm::MessagesAboutToBeForgotten() {
  ForgetThreadPage();
  treeView->selectionModel()->blockSignals(true);
  treeModel->BeginTreeChange();
}

void TMainForm::MessagesForgotten() {
  treeModel->EndTreeChange();
  treeView->selectionModel()->blockSignals(false);
  FScheduler->Forget();
  view->Clear(CurrentPageStyle());
}

void TMainForm::TreeRebuilt() {
  ForgetThreadPage();
  treeModel->BeginTreeChange();
  treeModel->EndTreeChange();
  treeView->selectionModel()->clear();
  const MessageTree& tree = FWorkspace.Tree();
  if (tree.FirstNode() != MessageTree::kNone)
    treeView->setCurrentIndex(treeModel->IndexOfNode(tree.FirstNode()));
  // The arrow keys move through the messages at once. The progress window is still up: the tree
  // becomes the window's focus widget and takes the focus when the window is active again.
  treeView->setFocus(Qt::OtherFocusReason);
}

void TMainForm::ShowRequested(const ShowRequest& request) {
  view->StopLoading();
  FScheduler->Request(request);
  // The back and go-to commands move the tree's selection at once, which asks again; a search
  // hit's node is selected when it is drawn.
  const bool selectNow =
      request.Origin == ShowOrigin::History || request.Origin == ShowOrigin::GoTo;
  if (selectNow && request.Message) SelectMessageNode(*request.Message);
}

void TMainForm::RenderTimerFired() {
  const RenderScheduler::Outcome outcome = FScheduler->Fire();
  if (!outcome.Drew) return;
  if (!outcome.Error.empty())
    Dialogs().MessageBox(this, U(outcome.Error), ApplicationTitle(), MsgButtons::Ok, MsgIcon::Error,
                         ModalResult::Ok);
  emit ViewDrawn();
}

void TMainForm::Draw(const ShowRequest& request) {
  WaitCursor wait;
  if (view->UpdatesWindowOnDraw()) {
    commands.copyMessage->setEnabled(request.Message != nullptr);
    // The tree follows the message the search window showed. Its request is dropped, so the page
    // keeps its hits while the workspace now says the tree asked. Before the page is given to the
    // view: a request stops a page that is loading.
    if (request.WithHits() && request.Message) SelectMessageNode(*request.Message);
  }
  if (!DrawThread(request)) view->ShowMessage(request, CurrentPageStyle());
}

bool TMainForm::ViewBusy() const {
  return FScheduler->Pending() || renderTimer->isActive() || view->Loading();
}

PageStyle TMainForm::CurrentPageStyle() const {
  const MainSettings& s = FWorkspace.Settings();
  return {s.BaseFont, s.KeyFont, s.Color, s.WordWrap};
}

}  // namespace yuzulog
