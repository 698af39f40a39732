// The whole thread on one page, and reading on with the keys pressed in the tree.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/tests/formparts.h"
#include "tests/support/logbuilder.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"

#ifdef YUZULOG_HAVE_WEBENGINE
#include <QWebEngineView>

#include "mainwindow/ui/viewpage.h"
#endif

namespace yuzulog {
namespace {

using namespace testing;

// Room 7: message 1 and its comments 2..12 make a thread, message 13 stands alone.
struct Thread : ::testing::Test {
  void Open(const char* viewMode) {
    LogBuilder log;
    for (int n = 1; n <= 13; ++n)
      log.Add({.Number = n,
               .Room = 7,
               .CommentTo = n == 1 || n == 13 ? -1 : 1,
               .Body = "本文" + std::to_string(n) + "。\n行\n行"});
    Form = std::make_unique<TMainForm>(std::vector<std::string>{"yuzulog", viewMode});
    Form->ShiftHeld = [] { return false; };
    Form->show();
    Form->LoadFileList({Temp.Write("ROOM07.LOG", log.Text())}, false);
    // Shortcuts need the active window, which the offscreen platform gives only when asked.
    const auto active = [this] { return Form->activateWindow(), Form->isActiveWindow(); };
    ASSERT_TRUE(RunUntil(active, 5000));
    Tree(*Form)->setFocus();
    QTest::keyClick(Tree(*Form), Qt::Key_T, Qt::ControlModifier);
  }
  void Settle() {
    ASSERT_TRUE(RunUntil([this] { return !Form->ViewBusy(); }, 10000));
  }
  QString Text() const { return Child<QTextEdit>(*Form, "FView")->toPlainText(); }
  int Number() const { return Form->CurrentMessage()->Number; }
  std::int32_t Node(int number) const {
    return Form->Space().Tree().NodeOf(Form->Files()[0].Messages()[number - 1]);
  }
  bool Read(int number) const { return Form->Space().ReadMarks().Test(Node(number)); }

  ScriptedDialogs Boxes;
  TempDir Temp;
  std::unique_ptr<TMainForm> Form;
};

TEST_F(Thread, TheOptionShowsTheWholeThreadAndIsKeptInTheSettings) {
  Open("ViewMode:1");
  Form->GotoMessage({7, 2});
  Settle();
  EXPECT_TRUE(Action(*Form, "ActionThreadPage")->isChecked());
  for (int n = 1; n <= 12; ++n)
    EXPECT_TRUE(Text().contains(QString("本文%1。").arg(n))) << n;
  EXPECT_FALSE(Text().contains(QStringLiteral("本文13。")));
  const std::string dir = Temp.Path().string() + "/";
  ASSERT_TRUE(Form->SaveSettings(dir));
  auto again = RichTextForm();
  again->LoadSettings(dir);
  EXPECT_TRUE(Action(*again, "ActionThreadPage")->isChecked());
  QTest::keyClick(Tree(*Form), Qt::Key_T, Qt::ControlModifier);  // off: the message alone
  Settle();
  EXPECT_FALSE(Text().contains(QStringLiteral("本文1。")));
}

TEST_F(Thread, KeysInTheTreeReadOnThroughThePageAndMarkWhatTheyPass) {
  Open("ViewMode:1");
  Form->Space().ResetReadMarks(true);
  Form->GotoMessage({7, 1});
  Settle();
  QScrollBar* bar = Child<QTextEdit>(*Form, "FView")->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), 0);
  QTest::keyClick(Tree(*Form), Qt::Key_Space);
  EXPECT_GT(bar->value(), 0);
  EXPECT_EQ(Number(), 1);
  EXPECT_TRUE(Read(2));  // scrolled beyond its end
  EXPECT_FALSE(Read(12));
  QTest::keyClick(Tree(*Form), Qt::Key_Space, Qt::ShiftModifier);
  EXPECT_EQ(bar->value(), 0);
  // N and P go through the page without drawing it again.
  QTest::keyClick(Tree(*Form), Qt::Key_N);
  Settle();
  EXPECT_EQ(Number(), 2);
  EXPECT_GT(bar->value(), 0);
  QTest::keyClick(Tree(*Form), Qt::Key_P);
  Settle();
  EXPECT_EQ(Number(), 1);
  // At the page's end Space goes on to the next unread message, past everything read.
  for (int i = 0; i < 40 && Number() == 1; ++i) {
    QTest::keyClick(Tree(*Form), Qt::Key_Space);
    Settle();
  }
  EXPECT_EQ(Number(), 13);
  EXPECT_TRUE(Read(12));
}

#ifdef YUZULOG_HAVE_WEBENGINE
TEST_F(Thread, TheBrowserGoesToAnAnchorOnItsPageAndReadsOnWithTheEngine) {
  Open("ViewMode:0");
  Form->GotoMessage({7, 1});
  Settle();
  auto* web = Form->findChild<QWebEngineView*>(QStringLiteral("FView"));
  const QUrl page = web->url();
  EXPECT_EQ(page.fragment(), QStringLiteral("7-1"));
  // A reference to a message on the page goes to its anchor on the same page and selects it.
  EXPECT_FALSE(static_cast<TViewPage*>(web->page())
                   ->acceptNavigationRequest(QUrl(QStringLiteral("nifty:yuzu/mes/7/9")),
                                             QWebEnginePage::NavigationTypeLinkClicked, true));
  ASSERT_TRUE(RunUntil([this] { return Number() == 9 && !Form->ViewBusy(); }, 10000));
  EXPECT_EQ(web->url().adjusted(QUrl::RemoveFragment), page.adjusted(QUrl::RemoveFragment));
  EXPECT_EQ(web->url().fragment(), QStringLiteral("7-9"));
  EXPECT_EQ(MessageTreeModel::NodeOf(Tree(*Form)->currentIndex()), Node(9));
  // Eight messages of five lines lie above message 9.
  ASSERT_TRUE(RunUntil([web] { return web->page()->scrollPosition().y() > 200; }, 5000));
  const double top = web->page()->scrollPosition().y();
  Form->Space().ResetReadMarks(true);
  QTest::keyClick(Tree(*Form), Qt::Key_Space);
  EXPECT_TRUE(RunUntil([web, top] { return web->page()->scrollPosition().y() > top; }, 5000));
  EXPECT_TRUE(RunUntil([this] { return Read(9); }, 5000));  // passed
}
#endif

}  // namespace
}  // namespace yuzulog
