// Read marks in the main window: the bold tree and its counts, the tree's menu and the view
// option that turns them off, over a real store.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTreeView>

#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/tests/formparts.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::Action;
using testing::Child;
using testing::DataFile;
using testing::RunUntil;
using testing::ScriptedDialogs;
using testing::TempDir;
using testing::Tree;

// A window over room05a.LOG whose marks come from a store in settings, looked up and shown.
std::unique_ptr<TMainForm> MarkedForm(const TempDir& settings) {
  auto f = testing::RichTextForm();
  f->show();
  f->LoadSettings(settings.Path().string() + "/");
  f->LoadFileList({DataFile("room05a.LOG")}, false);
  EXPECT_TRUE(RunUntil([&] { return f->Space().ReadMarksKnown(); }, 10000));
  return f;
}

QModelIndex RoomIndex(const TMainForm& f) {
  return testing::TreeModel(f).index(0, 0);
}
int UnreadBelow(const QModelIndex& i) {
  return i.data(MessageTreeModel::UnreadBelowRole).toInt();
}

TEST(ReadMarksInTheTree, UnreadIsBoldAndCountedWithTheLabelUnchangedAndTheMenuMarksASubtree) {
  ScriptedDialogs boxes;
  TempDir settings;
  auto f = MarkedForm(settings);
  const QModelIndex room = RoomIndex(*f);
  const int messages = UnreadBelow(room);
  ASSERT_GT(messages, 2);
  const QString label = room.data().toString();

  const QModelIndex first = testing::TreeModel(*f).index(0, 0, room);
  EXPECT_TRUE(first.data(MessageTreeModel::UnreadRole).toBool());
  Tree(*f)->setCurrentIndex(first);  // shown: read at once
  EXPECT_FALSE(first.data(MessageTreeModel::UnreadRole).toBool());
  EXPECT_EQ(UnreadBelow(room), messages - 1);
  EXPECT_EQ(room.data().toString(), label);
  // The delegate makes room for the grey count after the label.
  QStyleOptionViewItem option;
  option.initFrom(Tree(*f));
  QAbstractItemDelegate* delegate = Tree(*f)->itemDelegate();
  const int withCount = delegate->sizeHint(option, room).width();

  emit Tree(*f)->customContextMenuRequested(Tree(*f)->visualRect(room).center());
  Child<QMenu>(*f, "PopupMenuTreeView")->hide();
  Action(*f, "MarkReadMenu")->trigger();
  EXPECT_EQ(UnreadBelow(room), 0);
  EXPECT_LT(delegate->sizeHint(option, room).width(), withCount);

  emit Tree(*f)->customContextMenuRequested(Tree(*f)->visualRect(first).center());
  Action(*f, "MarkUnreadMenu")->trigger();
  EXPECT_TRUE(first.data(MessageTreeModel::UnreadRole).toBool());
  EXPECT_EQ(UnreadBelow(room), 1 + UnreadBelow(first));
  EXPECT_EQ(boxes.Count(testing::ShownBox::Message), 0);
}

TEST(ReadMarksInTheTree, TurnedOffTheTreeIsPlainAndShowingMarksNothing) {
  ScriptedDialogs boxes;
  TempDir settings;
  auto f = MarkedForm(settings);
  QAction* option = Action(*f, "ActionShowUnread");
  ASSERT_TRUE(option->isChecked());
  option->trigger();
  const QModelIndex room = RoomIndex(*f);
  const QModelIndex first = testing::TreeModel(*f).index(0, 0, room);
  EXPECT_FALSE(room.data(MessageTreeModel::UnreadBelowRole).isValid());
  EXPECT_FALSE(first.data(MessageTreeModel::UnreadRole).isValid());
  Tree(*f)->setCurrentIndex(first);

  option->trigger();
  ASSERT_TRUE(RunUntil([&] { return f->Space().ReadMarksKnown(); }, 10000));
  EXPECT_TRUE(first.data(MessageTreeModel::UnreadRole).toBool());
  ASSERT_TRUE(f->SaveSettings(settings.Path().string() + "/"));
  EXPECT_NE(testing::ReadFileBytes(settings.File("Form1.INI")).find("ShowUnread=1"),
            std::string::npos);
}

}  // namespace
}  // namespace yuzulog
