// The main window's read marks: the bold tree and its counts follow the workspace's marks, and
// the tree's menu marks a node and everything under it.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTreeView>

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/qthelpers.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"

namespace yuzulog {

void TMainForm::ConnectMarks() {
  const MainCommands& c = commands;
  connect(c.showUnread, &QAction::triggered, this, &TMainForm::ActionShowUnreadExecute);
  connect(c.markRead, &QAction::triggered, this, [this] { MarkTreeNode(true); });
  connect(c.markUnread, &QAction::triggered, this, [this] { MarkTreeNode(false); });
  // The menu acts on the node it was opened on, which need not be the selected one.
  connect(treeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    const QModelIndex at = treeView->indexAt(p);
    FMenuNode = MessageTreeModel::NodeOf(at.isValid() ? at : treeView->currentIndex());
  });
  connect(c.treeMenu, &QMenu::aboutToShow, this, [this] {
    const bool known = FWorkspace.ReadMarksKnown();
    commands.markRead->setEnabled(known);
    commands.markUnread->setEnabled(known);
  });
}

void TMainForm::OpenMarks(const std::string& dir) {
  commands.showUnread->setChecked(FWorkspace.Settings().ShowUnread);
  // The lookups and the store's failures come from other threads; they are taken on the
  // application's thread, where the workspace lives.
  const PostToOwner post = [](std::function<void()> f) {
    QMetaObject::invokeMethod(qApp, std::move(f), Qt::QueuedConnection);
  };
  std::string problem;
  if (!FWorkspace.OpenMarks(dir, post, problem)) {
    ShowMarksProblem(U(problem));
    return;
  }
  QPointer<TMainForm> self(this);
  FWorkspace.Marks()->SetProblemHandler([self, post](const std::string& text) {
    post([self, text] {
      if (self) self->ShowMarksProblem(U(text));
    });
  });
}

void TMainForm::ShowMarksProblem(const QString& text) {
  // One message: the program runs on without marks, and a second failure adds nothing to know.
  if (FMarksProblemTold) return;
  FMarksProblemTold = true;
  Dialogs().MessageBox(this, text, ApplicationTitle(), MsgButtons::Ok, MsgIcon::Warning,
                       ModalResult::Ok);
}

void TMainForm::ReadMarksChanged() {
  treeModel->SetReadMarks(&FWorkspace.ReadMarks());
}

void TMainForm::MarkTreeNode(bool read) {
  const std::int32_t node = FMenuNode != MessageTree::kNone
                                ? FMenuNode
                                : MessageTreeModel::NodeOf(treeView->currentIndex());
  FMenuNode = MessageTree::kNone;
  if (node == MessageTree::kNone || node >= FWorkspace.Tree().NodeCount()) return;
  FWorkspace.MarkRead(SubtreeMessageNodes(FWorkspace.Tree(), node), read);
}

void TMainForm::ActionShowUnreadExecute(bool show) {
  FWorkspace.SetShowUnread(show);
}

}  // namespace yuzulog
