// Moving between messages: the tree's selection and clicks, go-to with its dialog, the back
// command over the history, and copying the shown message.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeView>

#include "dialogs/dialogseam.h"
#include "dialogs/gotodialog.h"
#include "dialogs/noticeboxes.h"
#include "mainwindow/navigation.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "platform/cp932.h"

namespace yuzulog {

void TMainForm::TreeView1Change(const QModelIndex& current) {
  if (FTree.Building() || !current.isValid()) return;
  RequestShow(TreeView1, FTree.At(MessageTreeModel::NodeOf(current)).Message);
}

// A click on the label of the node that is already selected shows its message again: after the
// search window showed another message, or the same one with its hits.
void TMainForm::TreeView1MouseDown(const QPoint& at) {
  const QModelIndex selected = TreeView1->currentIndex();
  if (selected.isValid() && LabelRect(selected).contains(at)) TreeView1Change(selected);
}

QRect TMainForm::LabelRect(const QModelIndex& index) const {
  // visualRect leaves out the indentation and the expander but runs to the column's end.
  QRect r = TreeView1->visualRect(index);
  const int margin =
      TreeView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, TreeView1) + 1;
  r.setWidth(TreeView1->fontMetrics().horizontalAdvance(index.data().toString()) + 2 * margin);
  return r;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == TreeView1->viewport() && event->type() == QEvent::MouseButtonPress)
    TreeView1MouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::SelectMessageNode(const TLogMessage& message) {
  if (message.Node == MessageTree::kNone) return;
  const QModelIndex index = FTreeModel->IndexOfNode(message.Node);
  TreeView1->setCurrentIndex(index);
  TreeView1->scrollTo(index);
}

bool TMainForm::GotoMessage(MessageAddress target) {
  const TLogMessage* m = FindGotoTarget(FLogFiles, target);
  if (!m) {
    Dialogs().MessageBox(this, QString::fromStdString(GotoNotLoadedText(target)),
                         ApplicationTitle(), MsgButtons::Ok, MsgIcon::None, ModalResult::Ok);
    return false;
  }
  const bool alreadySelected = MessageTreeModel::NodeOf(TreeView1->currentIndex()) == m->Node;
  SelectMessageNode(*m);
  // The node was selected already, so no selection change shows it; the view may show another
  // message (one the search window chose) and must show this one.
  if (alreadySelected && FCurrentMessage != m) RequestShow(TreeView1, m);
  return true;
}

void TMainForm::ActionGotoMsgExecute() {
  TGotoDialog dialog(this);
  const std::vector<int> rooms = GotoRooms(FLogFiles);
  for (int room : rooms)
    dialog.AddRoom(room);
  std::optional<int> selectedRoom;
  const QModelIndex selected = TreeView1->currentIndex();
  if (selected.isValid()) selectedRoom = FTree.At(MessageTreeModel::NodeOf(selected)).Room;
  if (!rooms.empty()) dialog.SelectEntry(GotoPreselection(rooms, selectedRoom));
  while (Dialogs().Execute(dialog) == ModalResult::Ok) {
    const std::optional<int> room = dialog.SelectedRoom();
    if (!room) break;
    if (GotoMessage({*room, GotoNumberOf(dialog.NumberText().toStdString())})) break;
    dialog.ClearNumber();
  }
}

void TMainForm::ActionPrevExecute() {
  if (const TLogMessage* m = FHistory.HistoryBack()) SelectMessageNode(*m);
}

void TMainForm::ActionCopyCurrentMsgExecute() {
  if (!FCurrentMessage) return;
  const std::string_view text(FCurrentMessage->HeadStart, FCurrentMessage->TextSize());
  QGuiApplication::clipboard()->setText(QString::fromStdString(Cp932ToUtf8(text)));
}

}  // namespace yuzulog
