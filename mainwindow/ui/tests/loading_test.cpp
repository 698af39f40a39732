// Opening logs into the window: the load loop with its questions, the report and the tree.
#include <gtest/gtest.h>

#include <deque>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <cstdlib>

#include "dialogs/progressdlg.h"
#include "dialogs/qttranslation.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/tests/formparts.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::DataFile;

using testing::Action;
using testing::Child;
using testing::RunUntil;
using testing::ScriptedDialogs;
using testing::ShownBox;
using testing::StatusText;
using testing::Tree;
using testing::TreeModel;

const QString Data(const char* name) {
  return QString::fromStdString(DataFile(name));
}

std::unique_ptr<TMainForm> Form() {
  auto f = std::make_unique<TMainForm>(std::vector<std::string>{"yuzulog", "ViewMode:1"});
  f->ShiftHeld = [] { return false; };
  f->show();
  return f;
}

std::vector<const TLogData*> Loaded(const TMainForm& f) {
  std::vector<const TLogData*> v;
  for (const auto& file : f.Files())
    v.push_back(file.get());
  return v;
}

TEST(Loading, OpenReportsOverlapsAndBuildsTheTree) {
  ScriptedDialogs boxes;
  auto f = Form();
  boxes.Files = {{Data("room12.lzh"), Data("room05b.LOG"), Data("room05a.LOG")}};
  boxes.Answers = {ModalResult::No};  // do not open the log list
  Action(*f, "ActionOpenArchive")->trigger();

  ASSERT_EQ(f->Files().Count(), 3);
  EXPECT_EQ(f->Files()[0].Room, 5);
  EXPECT_EQ(f->Files()[0].FirstNumber, 1);
  EXPECT_EQ(f->Files()[1].Overlap, 3);
  EXPECT_EQ(f->Files()[2].Room, 12);
  EXPECT_EQ(StatusText(*f), QStringLiteral("53 個の発言"));
  ASSERT_EQ(boxes.Count(ShownBox::Message), 1);
  const ShownBox& warning = boxes.Shown.back();
  EXPECT_EQ(warning.Caption, QStringLiteral("ログデータの警告"));
  EXPECT_EQ(warning.Icon, MsgIcon::Warning);
  EXPECT_EQ(warning.Text,
            QStringLiteral("53 個の発言がロードされましたが、\r\n\r\n5番会議室のログファイルで "
                           "room05a.LOG と room05b.LOG に 3 個の重複があります。\r\n\r\n"
                           "ログデータの情報を見ますか？"));

  // Two rooms, room 5 first; its thread roots are 1, 3, 7, 9, 13, 15, 18 plus the repeated
  // 10-12 of the second file, which hang under the first file's copies.
  const QAbstractItemModel& m = TreeModel(*f);
  ASSERT_EQ(m.rowCount(), 2);
  EXPECT_EQ(m.index(0, 0).data().toString(), QStringLiteral("5 番会議室"));
  EXPECT_EQ(m.index(1, 0).data().toString(), QStringLiteral("12 番会議室"));
  EXPECT_EQ(m.rowCount(m.index(0, 0)), 7);
  // The first node is selected; with two rooms nothing is expanded.
  EXPECT_EQ(Tree(*f)->currentIndex(), m.index(0, 0));
  EXPECT_FALSE(Tree(*f)->isExpanded(m.index(0, 0)));
  EXPECT_EQ(f->Space().Shown().Origin, ShowOrigin::Tree);
  EXPECT_EQ(f->CurrentMessage(), nullptr);  // a room node carries no message
}

TEST(Loading, SingleRoomIsExpandedAndNoticed) {
  ScriptedDialogs boxes;
  auto f = Form();
  f->LoadFileList({DataFile("room12.lzh")}, false);
  ASSERT_EQ(boxes.Count(ShownBox::Notice), 1);
  EXPECT_EQ(boxes.Shown.back().Text, QStringLiteral("30 個の発言"));
  EXPECT_TRUE(Tree(*f)->isExpanded(TreeModel(*f).index(0, 0)));
  // Selecting a message asks for it to be shown. After another source has asked for something
  // else, a click on the selected node asks for its message again.
  const QModelIndex first = TreeModel(*f).index(0, 0, TreeModel(*f).index(0, 0));
  Tree(*f)->setCurrentIndex(first);
  ASSERT_NE(f->CurrentMessage(), nullptr);
  const TLogMessage* selected = f->CurrentMessage();
  EXPECT_EQ(selected->Number, 1);
  f->Space().Show(nullptr, ShowOrigin::GoTo);
  const QRect r = Tree(*f)->visualRect(first);
  const QPoint onLabel(r.left() + 4, r.center().y());
  QMouseEvent press(QEvent::MouseButtonPress, onLabel, Tree(*f)->viewport()->mapToGlobal(onLabel),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Tree(*f)->viewport(), &press);
  EXPECT_EQ(f->CurrentMessage(), selected);
  EXPECT_EQ(f->Space().Shown().Origin, ShowOrigin::Tree);
}

// The keys go where the focus is, as a person's keyboard would send them.
void Press(Qt::Key key) {
  QTest::keyClick(QApplication::focusWidget(), key);
}

TEST(Loading, AfterALoadTheArrowKeysMoveThroughTheTreeAndTabWalksThePanes) {
  ScriptedDialogs boxes;
  // Opened with a log on the command line; a mistyped key is neither opened nor a failure.
  auto f = std::make_unique<TMainForm>(
      std::vector<std::string>{"yuzulog", "ViewMode:1", DataFile("room12.lzh"), "Mesage:12/25"});
  f->ShiftHeld = [] { return false; };
  f->show();
  QTreeView* tree = Tree(*f);
  // The window manager gives the window back the activation when the progress window closes;
  // the offscreen platform has none.
  const auto treeHasFocus = [&f, tree] {
    f->activateWindow();
    return QApplication::focusWidget() == tree;
  };
  ASSERT_TRUE(RunUntil([&] { return f->Files().Count() == 1 && treeHasFocus(); }, 5000));
  EXPECT_EQ(boxes.Count(ShownBox::Message), 0);
  const QModelIndex room = TreeModel(*f).index(0, 0);
  EXPECT_EQ(tree->currentIndex(), room);
  EXPECT_TRUE(tree->selectionModel()->isSelected(room));
  Press(Qt::Key_Down);
  EXPECT_EQ(tree->currentIndex(), TreeModel(*f).index(0, 0, room));

  // Tab goes from the tree to the view and back; no tool-bar button is on the way.
  QWidget* view = Child<QWidget>(*f, "FView");
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), view);
  Press(Qt::Key_Tab);
  EXPECT_TRUE(treeHasFocus());

  // A load started while the view has the focus gives it back to the tree.
  view->setFocus();
  boxes.Files = {{Data("room05a.LOG")}};
  Action(*f, "ActionOpenArchive")->trigger();
  ASSERT_TRUE(RunUntil(treeHasFocus, 5000));
  const QModelIndex first = tree->currentIndex();
  Press(Qt::Key_Down);
  EXPECT_NE(tree->currentIndex(), first);
  EXPECT_EQ(tree->currentIndex().parent(), first);
}

TEST(Loading, ClearingTheTreeOrClosingTheWindowAsksForNothing) {
  ScriptedDialogs boxes;
  auto f = Form();
  f->LoadFileList({DataFile("room12.lzh")}, false);
  QAbstractItemModel& m = TreeModel(*f);
  Tree(*f)->setCurrentIndex(m.index(3, 0, m.index(0, 0)));
  testing::ShowCounter shown(f->Space());
  f->Space().Close();
  EXPECT_EQ(shown.Count, 0);
  EXPECT_EQ(f->CurrentMessage(), nullptr);

  f->LoadFileList({DataFile("room12.lzh")}, false);
  f->Space().Show(nullptr, ShowOrigin::GoTo);
  boxes.Answers = {ModalResult::Ok};
  ASSERT_TRUE(f->close());
  Tree(*f)->setCurrentIndex(m.index(3, 0, m.index(0, 0)));
  EXPECT_EQ(f->Space().Shown().Origin, ShowOrigin::GoTo);
  EXPECT_EQ(f->CurrentMessage(), nullptr);
}

TEST(Loading, ShiftAsksForAddModeOnlyWhenFilesAreLoaded) {
  ScriptedDialogs boxes;
  auto f = Form();
  f->ShiftHeld = [] { return true; };
  boxes.Files = {{Data("room12.lzh")}, {Data("room05a.LOG")}, {Data("room05b.LOG")}};
  Action(*f, "ActionOpenArchive")->trigger();
  EXPECT_EQ(boxes.Count(ShownBox::Message), 0);  // nothing loaded yet: no question

  boxes.Answers = {ModalResult::Yes};  // add
  Action(*f, "ActionOpenArchive")->trigger();
  const ShownBox& q = boxes.Shown[boxes.Shown.size() - 2];
  EXPECT_EQ(q.Text, QStringLiteral("ログファイルを追加モードで開きますか？"));
  EXPECT_EQ(q.Caption, QStringLiteral("ログファイルを開く"));
  EXPECT_EQ(q.Buttons, MsgButtons::YesNoCancel);
  EXPECT_EQ(q.DefaultResult, ModalResult::Cancel);
  EXPECT_EQ(f->Files().Count(), 2);

  boxes.Answers = {ModalResult::Cancel};
  Action(*f, "ActionOpenArchive")->trigger();
  EXPECT_EQ(f->Files().Count(), 2);  // cancelled: nothing changed
}

TEST(Loading, ReloadQuestionWithEachAnswer) {
  const std::vector<std::string> three = {DataFile("room05a.LOG"), DataFile("room12.lzh"),
                                          DataFile("room03-lh1.lzh")};
  struct Case {
    std::deque<ModalResult> Answers;
    int Questions;
    std::vector<bool> Reloaded;  // in the order of three
  };
  const Case cases[] = {
      {{ModalResult::Yes, ModalResult::No, ModalResult::Yes}, 3, {true, false, true}},
      {{ModalResult::YesToAll}, 1, {true, true, true}},
      {{ModalResult::No, ModalResult::NoToAll}, 2, {false, false, false}},
      {{ModalResult::Yes, ModalResult::Cancel}, 2, {true, false, false}},
  };
  for (const Case& c : cases) {
    ScriptedDialogs boxes;
    auto f = Form();
    f->LoadFileList(three, false);
    // Mark the loaded files: a reloaded file comes back without the mark. (Comparing addresses
    // would not do: a new file may get the address of the one it replaces.)
    for (const auto& file : f->Files())
      const_cast<TLogData&>(*file).FirstNumber += 100000;
    boxes.Shown.clear();
    boxes.Answers = c.Answers;
    f->LoadFileList(three, false);
    EXPECT_EQ(boxes.Count(ShownBox::YesNoAll), c.Questions);
    const ShownBox& first = boxes.Shown.front();
    EXPECT_EQ(first.DefaultResult, ModalResult::No);
    EXPECT_TRUE(first.Text.startsWith(
        QStringLiteral("同名のファイルがすでにロードされています。\r\n\r\n")));
    EXPECT_TRUE(first.Text.endsWith(QStringLiteral("\r\n\r\nファイルを再ロードしますか？")));
    EXPECT_TRUE(first.Caption.startsWith(QStringLiteral("ファイルを開いています（1/3）")));
    if (c.Questions > 1) {
      EXPECT_EQ(boxes.Shown[1].DefaultResult, c.Answers[0]);
    }
    ASSERT_EQ(f->Files().Count(), 3);
    for (std::size_t i = 0; i < three.size(); ++i) {
      const TLogData* now = f->Files().FindLoadedFile(three[i]);
      ASSERT_NE(now, nullptr);
      EXPECT_EQ(now->FirstNumber < 100000, c.Reloaded[i]) << i;
    }
    EXPECT_EQ(TreeModel(*f).rowCount(), 3);
  }
}

TEST(Loading, FailingFileAsksWhetherToStop) {
  for (ModalResult answer : {ModalResult::No, ModalResult::Yes}) {
    ScriptedDialogs boxes;
    auto f = Form();
    boxes.Answers = {answer};
    f->LoadFileList({DataFile("room05a.LOG"), DataFile("plain.TXT"), DataFile("room12.lzh")},
                    false);
    ASSERT_GE(boxes.Shown.size(), 1u);
    const ShownBox& q = boxes.Shown[0];
    EXPECT_EQ(q.Caption, QStringLiteral("エラー"));
    EXPECT_EQ(q.Buttons, MsgButtons::YesNo);
    EXPECT_EQ(q.Icon, MsgIcon::Error);
    EXPECT_TRUE(
        q.Text.endsWith(QStringLiteral("ログファイルの取得に失敗しました。\r\n中断しますか？")));
    // Yes stops before the third file; the first stays loaded either way.
    EXPECT_EQ(f->Files().Count(), answer == ModalResult::Yes ? 1 : 2);
    EXPECT_EQ(TreeModel(*f).rowCount(), answer == ModalResult::Yes ? 1 : 2);
  }
}

TEST(Loading, CancelBetweenFilesKeepsWhatWasLoaded) {
  ScriptedDialogs boxes;
  auto f = Form();
  // Press "中止(&C)" while the failure question for the second file is up, then go on: the
  // loop notices the cancel after that file.
  boxes.OnShow = [](const ShownBox& b) {
    if (b.Caption != QStringLiteral("エラー")) return;
    auto* progress = qobject_cast<TProgressForm*>(QApplication::activeModalWidget());
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->Button->isVisible());
    progress->Button->click();
  };
  boxes.Answers = {ModalResult::No};
  f->LoadFileList({DataFile("room05a.LOG"), DataFile("plain.TXT"), DataFile("room12.lzh")}, false);
  ASSERT_EQ(boxes.Count(ShownBox::Message), 2);
  EXPECT_EQ(boxes.Shown[1].Text, QStringLiteral("ログファイルの取得を中断しました。"));
  EXPECT_EQ(f->Files().Count(), 1);
  EXPECT_EQ(TreeModel(*f).rowCount(), 1);  // the tree is built from what was loaded
  EXPECT_EQ(StatusText(*f), QStringLiteral("12 個の発言"));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Loading, RemoveLogFilesRebuildsAndRecomputesOverlaps) {
  ScriptedDialogs boxes;
  boxes.Answers = {ModalResult::No};
  auto f = Form();
  f->LoadFileList({DataFile("room05a.LOG"), DataFile("room05b.LOG"), DataFile("room12.lzh")},
                  false);
  ASSERT_EQ(f->Files().Count(), 3);
  const int shown = static_cast<int>(boxes.Shown.size());
  f->RemoveLogFiles({&f->Files()[0]});
  ASSERT_EQ(f->Files().Count(), 2);
  EXPECT_EQ(f->Files()[0].Overlap, 0);
  EXPECT_EQ(StatusText(*f), QStringLiteral("41 個の発言"));
  EXPECT_EQ(static_cast<int>(boxes.Shown.size()), shown);  // no report
  EXPECT_EQ(Tree(*f)->currentIndex(), TreeModel(*f).index(0, 0));

  f->RemoveLogFiles(Loaded(*f));
  EXPECT_TRUE(f->Files().Empty());
  EXPECT_EQ(TreeModel(*f).rowCount(), 0);
  EXPECT_FALSE(Tree(*f)->currentIndex().isValid());
  EXPECT_EQ(StatusText(*f), QStringLiteral("0 個の発言"));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(Loading, AddKeepsWhatIsLoadedAndEmptySelectionReportsZero) {
  ScriptedDialogs boxes;
  auto f = Form();
  boxes.Files = {{Data("room12.lzh")}, {Data("room03-lh1.lzh")}};
  Action(*f, "ActionOpenArchive")->trigger();
  Action(*f, "ActionAddArchive")->trigger();
  EXPECT_EQ(f->Files().Count(), 2);
  EXPECT_EQ(f->Files()[0].Room, 3);
  Action(*f, "ActionAddArchive")->trigger();  // dialog cancelled
  EXPECT_EQ(f->Files().Count(), 2);
  f->LoadFileList({}, false);
  EXPECT_TRUE(f->Files().Empty());
  EXPECT_EQ(TreeModel(*f).rowCount(), 0);
  EXPECT_EQ(boxes.Shown.back().Text, QStringLiteral("0 個の発言"));
}

}  // namespace
}  // namespace yuzulog
