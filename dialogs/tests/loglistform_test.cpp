// The log list dialog: its rows and count line, the delete item's enabling, and removal after
// the question.
#include "dialogs/loglistform.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

#include "tests/support/logbuilder.h"
#include "tests/support/scripteddialogs.h"

namespace yuzulog {
namespace {

using testing::ParsedRoomLog;
using testing::ScriptedDialogs;

struct ListUnderTest {
  LogFiles Files;
  std::vector<std::vector<const TLogData*>> Removed;
  TLogListForm Form{Files, [this](const std::vector<const TLogData*>& files) {
                      Removed.push_back(files);
                      for (const TLogData* f : files)
                        Files.Remove(f);
                      Files.SortLogFiles();
                    }};

  QLabel* Panel() { return Form.findChild<QLabel*>(QStringLiteral("Panel1")); }
  QTreeWidget* List() { return Form.findChild<QTreeWidget*>(QStringLiteral("ListView1")); }
  QAction* Delete() { return Form.findChild<QAction*>(QStringLiteral("MenuDelete")); }
  bool DeleteEnabledWhenMenuOpens() {
    emit Form.findChild<QMenu*>(QStringLiteral("PopupMenu1"))->aboutToShow();
    return Delete()->isEnabled();
  }
  void Select(std::initializer_list<int> rows) {
    List()->clearSelection();
    for (int r : rows)
      List()->topLevelItem(r)->setSelected(true);
  }
  QString Cell(int row, int column) { return List()->topLevelItem(row)->text(column); }
};

TEST(LogListForm, NothingLoadedSaysSoAndOffersNoDelete) {
  ListUnderTest t;
  t.Form.FillLogList();
  EXPECT_EQ(t.Panel()->text(), QStringLiteral("ログデータがありません"));
  EXPECT_EQ(t.List()->topLevelItemCount(), 0);
  EXPECT_FALSE(t.DeleteEnabledWhenMenuOpens());
}

TEST(LogListForm, RowsMarkOverlapsAndDeleteAsksThenRemovesTheSelectedFilesInListOrder) {
  ScriptedDialogs boxes;
  ListUnderTest t;
  t.Files.Append(ParsedRoomLog(5, 1, 10, "/logs/a.LOG"));
  t.Files.Append(ParsedRoomLog(5, 9, 20, "/logs/b.LOG"));
  t.Files.Append(ParsedRoomLog(7, 1, 5, "/logs/c.LOG"));
  t.Files.SortLogFiles();
  t.Form.FillLogList();
  EXPECT_EQ(t.Panel()->text(), QStringLiteral("3個のログデータ"));
  EXPECT_EQ(t.Cell(1, 2), QStringLiteral("    9 ～    20(  12)"));
  // The overlapping file shows the other image; the two ordinary files show the same one.
  const auto image = [&](int row) {
    return t.List()->topLevelItem(row)->icon(0).pixmap(16, 16).toImage();
  };
  EXPECT_NE(image(1), image(0));
  EXPECT_EQ(image(2), image(0));
  const TLogData* first = &t.Files[0];
  const TLogData* third = &t.Files[2];

  t.Select({2, 0});
  EXPECT_TRUE(t.DeleteEnabledWhenMenuOpens());
  boxes.Answers = {ModalResult::No};
  t.Delete()->trigger();
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Text, QStringLiteral("2個のログファイルをリストから外しますか？"));
  EXPECT_EQ(boxes.Shown[0].Caption, QStringLiteral("ログデータの管理"));
  EXPECT_EQ(boxes.Shown[0].Buttons, MsgButtons::YesNo);
  EXPECT_EQ(boxes.Shown[0].DefaultResult, ModalResult::No);
  EXPECT_TRUE(t.Removed.empty());
  EXPECT_EQ(t.List()->topLevelItemCount(), 3);

  boxes.Answers = {ModalResult::Yes};
  t.Delete()->trigger();
  ASSERT_EQ(t.Removed.size(), 1u);
  EXPECT_EQ(t.Removed[0], (std::vector<const TLogData*>{first, third}));
  EXPECT_EQ(t.Panel()->text(), QStringLiteral("1個のログデータ"));
  ASSERT_EQ(t.List()->topLevelItemCount(), 1);
  EXPECT_EQ(t.Cell(0, 0), QStringLiteral("b.LOG"));
  EXPECT_EQ(t.Cell(0, 1), QStringLiteral("5"));
  EXPECT_FALSE(t.DeleteEnabledWhenMenuOpens());
}

}  // namespace
}  // namespace yuzulog
