// The main window's read marks and bookmarks: the bold tree and its counts follow the workspace's
// marks, the tree's menu marks a node and everything under it, Ctrl+D and the bookmark list.
#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>
#include <QTreeView>
#include <ctime>

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/qthelpers.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "marks/bookmarklist.h"

namespace yuzulog {

void TMainForm::ConnectMarks() {
  const MainCommands& c = commands;
  connect(c.showUnread, &QAction::triggered, this, &TMainForm::ActionShowUnreadExecute);
  connect(c.markRead, &QAction::triggered, this, [this] { MarkTreeNode(true); });
  connect(c.markUnread, &QAction::triggered, this, [this] { MarkTreeNode(false); });
  connect(c.bookmark, &QAction::triggered, this, &TMainForm::ActionBookmarkExecute);
  connect(c.bookmarkList, &QAction::triggered, this, &TMainForm::ActionBookmarkListExecute);
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

void TMainForm::ReadMarksChanged(const ReadMarksChange& change) {
  // A whole recount only when the marks changed as a whole: marking stays within its ancestors.
  if (change.All)
    treeModel->SetReadMarks(&FWorkspace.ReadMarks());
  else
    treeModel->ReadMarksChanged(change.Nodes, change.Read);
}

void TMainForm::FilesChanged() {
  // Which bookmarks are grey depends on what is loaded.
  if (BookmarksChanged) BookmarksChanged();
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

MarkStore* TMainForm::BookmarkStore() {
  MarkStore* store = FWorkspace.Marks();
  if (!store) SetStatus(QStringLiteral("しおりは使えません（データベースを開けませんでした）"));
  return store;
}

void TMainForm::ActionBookmarkExecute() {
  const TLogMessage* m = FWorkspace.Shown().Message;
  if (!m) return;
  MarkStore* store = BookmarkStore();
  if (!store) return;
  const MarkKey key = MarkKeyOf(*m);
  std::string note;
  if (!store->IsBookmarked(key)) {
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("BookmarkNoteDialog"));
    dialog.setWindowTitle(QStringLiteral("しおりを付ける"));
    dialog.setLabelText(QStringLiteral("メモ（なくてもかまいません）:"));
    dialog.setInputMode(QInputDialog::TextInput);
    if (Dialogs().Execute(dialog) != ModalResult::Ok) return;
    note = dialog.textValue().trimmed().toStdString();
  }
  bool added = false;
  // A failure is told by the store's problem handler.
  if (!store->ToggleBookmark(BookmarkOf(*m, note, std::time(nullptr)), added)) return;
  SetStatus(added ? QStringLiteral("しおりを付けました") : QStringLiteral("しおりを外しました"));
  if (BookmarksChanged) BookmarksChanged();
}

void TMainForm::ActionBookmarkListExecute() {
  MarkStore* store = BookmarkStore();
  if (!store) return;
  if (ShowBookmarkList) ShowBookmarkList(*store);
}

bool TMainForm::IsLoaded(const MarkKey& key) const {
  return FindMarkedMessage(FWorkspace.Files(), key) != nullptr;
}

bool TMainForm::ShowBookmark(const MarkKey& key) {
  if (const TLogMessage* m = FindMarkedMessage(FWorkspace.Files(), key, &FWorkspace.Tree())) {
    FWorkspace.Show(m, ShowOrigin::GoTo);
    return true;
  }
  return GotoMessage({key.Room, key.Number});
}

}  // namespace yuzulog
