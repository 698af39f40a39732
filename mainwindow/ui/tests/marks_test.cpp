// Read marks and bookmarks in the main window: the bold tree and its counts, the tree's menu,
// the view option that turns them off, Ctrl+D and the bookmark list over a real store.
#include <gtest/gtest.h>

#include <QInputDialog>
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

TEST(ReadMarksInTheTree, UnreadIsBoldAndCountedLabelsUnchangedTheMenuMarksASubtreeAndOffHidesIt) {
  ScriptedDialogs boxes;
  TempDir settings;
  auto f = MarkedForm(settings);
  const QModelIndex room = RoomIndex(*f);
  const QString label = room.data().toString();
  const QModelIndex first = testing::TreeModel(*f).index(0, 0, room);
  EXPECT_TRUE(first.data(MessageTreeModel::UnreadRole).toBool());
  Tree(*f)->setCurrentIndex(first);  // shown: read at once
  EXPECT_FALSE(first.data(MessageTreeModel::UnreadRole).toBool());
  EXPECT_GT(UnreadBelow(room), 0);
  EXPECT_EQ(room.data().toString(), label);
  // The delegate makes room for the grey count after the label.
  QStyleOptionViewItem option;
  option.initFrom(Tree(*f));
  const auto width = [&] { return Tree(*f)->itemDelegate()->sizeHint(option, room).width(); };
  const int withCount = width();

  emit Tree(*f)->customContextMenuRequested(Tree(*f)->visualRect(room).center());
  Child<QMenu>(*f, "PopupMenuTreeView")->hide();
  Action(*f, "MarkReadMenu")->trigger();
  EXPECT_EQ(UnreadBelow(room), 0);
  EXPECT_LT(width(), withCount);
  emit Tree(*f)->customContextMenuRequested(Tree(*f)->visualRect(first).center());
  Action(*f, "MarkUnreadMenu")->trigger();
  EXPECT_TRUE(first.data(MessageTreeModel::UnreadRole).toBool());

  Action(*f, "ActionShowUnread")->trigger();  // off: the tree as it is without marks
  EXPECT_FALSE(room.data(MessageTreeModel::UnreadBelowRole).isValid());
  EXPECT_FALSE(first.data(MessageTreeModel::UnreadRole).isValid());
}

TEST(Bookmarks, CtrlDTogglesABookmarkWithANote) {
  ScriptedDialogs boxes;
  TempDir settings;
  auto f = MarkedForm(settings);
  Tree(*f)->setCurrentIndex(testing::TreeModel(*f).index(1, 0, RoomIndex(*f)));
  ASSERT_NE(f->CurrentMessage(), nullptr);
  const MarkKey key = MarkKeyOf(*f->CurrentMessage());

  boxes.DialogAnswers = {[](QDialog& d) {
    static_cast<QInputDialog&>(d).setTextValue(QStringLiteral("  続きを読む "));
    return ModalResult::Ok;
  }};
  Action(*f, "ActionBookmark")->trigger();
  std::vector<Bookmark> list;
  ASSERT_TRUE(f->Space().Marks()->Bookmarks(list));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Key, key);
  EXPECT_EQ(list[0].Note, "続きを読む");
  Action(*f, "ActionBookmark")->trigger();  // a bookmarked message: taken off, nothing asked
  EXPECT_FALSE(f->Space().Marks()->IsBookmarked(key));
  EXPECT_EQ(boxes.Count(testing::ShownBox::Dialog), 1);
}

}  // namespace
}  // namespace yuzulog
