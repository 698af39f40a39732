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
#include "dialogs/qthelpers.h"
#include "mainwindow/navigation.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "platform/cp932.h"

namespace yuzulog {

void TMainForm::TreeViewChange(const QModelIndex& current) {
  const MessageTree& tree = FWorkspace.Tree();
  if (tree.Building() || !current.isValid()) return;
  FWorkspace.Show(tree.At(MessageTreeModel::NodeOf(current)).Message, ShowOrigin::Tree);
}

// A click on the label of the node that is already selected shows its message again: after the
// search window showed another message, or the same one with its hits.
void TMainForm::TreeViewMouseDown(const QPoint& at) {
  const QModelIndex selected = treeView->currentIndex();
  if (selected.isValid() && LabelRect(selected).contains(at)) TreeViewChange(selected);
}

QRect TMainForm::LabelRect(const QModelIndex& index) const {
  // visualRect leaves out the indentation and the expander but runs to the column's end.
  QRect r = treeView->visualRect(index);
  const int margin =
      treeView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, treeView) + 1;
  r.setWidth(treeView->fontMetrics().horizontalAdvance(index.data().toString()) + 2 * margin);
  return r;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == treeView->viewport() && event->type() == QEvent::MouseButtonPress)
    TreeViewMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::SelectMessageNode(const TLogMessage& message) {
  const std::int32_t node = FWorkspace.Tree().NodeOf(message);
  if (node == MessageTree::kNone) return;
  const QModelIndex index = treeModel->IndexOfNode(node);
  treeView->setCurrentIndex(index);
  treeView->scrollTo(index);
}

bool TMainForm::GotoMessage(MessageAddress target) {
  if (FWorkspace.GoTo(target)) return true;
  Dialogs().MessageBox(this, U(GotoNotLoadedText(target)), ApplicationTitle(), MsgButtons::Ok,
                       MsgIcon::None, ModalResult::Ok);
  return false;
}

void TMainForm::ActionGotoMsgExecute() {
  TGotoDialog dialog(this);
  const std::vector<int> rooms = GotoRooms(FWorkspace.Files());
  for (int room : rooms)
    dialog.AddRoom(room);
  std::optional<int> selectedRoom;
  const QModelIndex selected = treeView->currentIndex();
  if (selected.isValid())
    selectedRoom = FWorkspace.Tree().At(MessageTreeModel::NodeOf(selected)).Room;
  if (!rooms.empty()) dialog.SelectEntry(GotoPreselection(rooms, selectedRoom));
  while (Dialogs().Execute(dialog) == ModalResult::Ok) {
    const std::optional<int> room = dialog.SelectedRoom();
    if (!room) break;
    if (GotoMessage({*room, GotoNumberOf(dialog.NumberText().toStdString())})) break;
    dialog.ClearNumber();
  }
}

void TMainForm::ActionPrevExecute() {
  FWorkspace.GoBack();
}

void TMainForm::ActionCopyCurrentMsgExecute() {
  const TLogMessage* m = FWorkspace.Shown().Message;
  if (!m) return;
  QGuiApplication::clipboard()->setText(
      U(Cp932ToUtf8(std::string_view(m->HeadStart, m->TextSize()))));
}

}  // namespace yuzulog
