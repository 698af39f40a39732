#include "dialogs/progressdlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "tests/support/scripteddialogs.h"

namespace yuzulog {
namespace {

TEST(ProgressDlg, ClientSizeFollowsTheOptions) {
  TProgressDlg dlg;
  QSize all, noButton, labelOnly, again;
  dlg.OnExecute = [&](TProgressDlg& d) {
    all = d.Form()->size();
    d.SetOptions(pdoLabel | pdoProgressBar);
    noButton = d.Form()->size();
    d.SetOptions(pdoLabel);
    labelOnly = d.Form()->size();
    d.SetOptions(kAllProgressOptions);
    again = d.Form()->size();
    EXPECT_TRUE(d.Form()->Button->isVisible());
  };
  EXPECT_EQ(dlg.Execute(), ModalResult::Ok);
  EXPECT_EQ(all, QSize(240, 137));
  EXPECT_EQ(noButton, QSize(240, 104));
  EXPECT_EQ(labelOnly, QSize(240, 80));
  EXPECT_EQ(again, QSize(240, 137));
}

TEST(ProgressDlg, LayoutWithoutLabelStartsAtEight) {
  TProgressDlg dlg;
  dlg.SetOptions(pdoProgressBar | pdoCancelBtn);
  QRect bar, button;
  QSize size;
  dlg.OnExecute = [&](TProgressDlg& d) {
    bar = d.Form()->Bar->geometry();
    button = d.Form()->Button->geometry();
    size = d.Form()->size();
  };
  dlg.Execute();
  EXPECT_EQ(bar, QRect(16, 8, 208, 16));
  EXPECT_EQ(button, QRect(82, 32, 75, 25));
  EXPECT_EQ(size, QSize(240, 65));
}

TEST(ProgressDlg, PercentIsClampedAndSettingsReachTheWindow) {
  TProgressDlg dlg;
  dlg.SetPercent(150);
  EXPECT_EQ(dlg.Percent(), 100);
  dlg.SetPercent(-5);
  EXPECT_EQ(dlg.Percent(), 0);
  QFont f = QApplication::font();
  f.setPointSize(17);
  dlg.SetFont(f);
  dlg.SetCaption("ログファイルの読み込み");
  dlg.SetText("before");
  dlg.OnExecute = [&](TProgressDlg& d) {
    EXPECT_EQ(d.Form()->windowTitle(), QStringLiteral("ログファイルの読み込み"));
    EXPECT_EQ(d.Form()->Label->text(), QStringLiteral("before"));
    EXPECT_EQ(d.Form()->Label->font().pointSize(), 17);
    EXPECT_NE(d.Form()->Button->font().pointSize(), 17);  // the button keeps its own font
    d.SetPercent(150);
    EXPECT_EQ(d.Form()->Bar->value(), 100);
    d.SetText("発言ツリーを作成しています");
    EXPECT_EQ(d.Form()->Label->text(), QStringLiteral("発言ツリーを作成しています"));
    d.Refresh();
  };
  EXPECT_EQ(dlg.Execute(), ModalResult::Ok);
  // Settings survive the run; a second run works the same.
  EXPECT_EQ(dlg.Text(), "発言ツリーを作成しています");
  dlg.OnExecute = [](TProgressDlg& d) {
    EXPECT_EQ(d.Form()->Label->text(), QStringLiteral("発言ツリーを作成しています"));
    EXPECT_EQ(d.Form()->Bar->value(), 100);
  };
  EXPECT_EQ(dlg.Execute(), ModalResult::Ok);
}

TEST(ProgressDlg, OperationRunsInsideTheShownModalWindow) {
  TProgressDlg dlg;
  bool ran = false;
  EXPECT_TRUE(dlg.Cancelled());  // no window before
  const ModalResult result = dlg.Execute([&](TProgressDlg& d) {
    ran = true;
    EXPECT_TRUE(d.Form()->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), d.Form());
    EXPECT_FALSE(d.Cancelled());
  });
  EXPECT_EQ(result, ModalResult::Ok);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(dlg.Cancelled());  // and none after
  EXPECT_EQ(dlg.Form(), nullptr);
}

TEST(ProgressDlg, WithoutOperationClosesWithOk) {
  TProgressDlg dlg;
  EXPECT_EQ(dlg.Execute(), ModalResult::Ok);
}

TEST(ProgressDlg, CancelButtonTakesEffectWhenTheOperationPolls) {
  TProgressDlg dlg;
  int polls = 0;
  bool visibleAfterClick = false;
  dlg.OnExecute = [&](TProgressDlg& d) {
    QTimer::singleShot(0, d.Form()->Button, [&d] { d.Form()->Button->click(); });
    // Without polling, the click cannot arrive.
    QTest::qSleep(20);
    EXPECT_FALSE(d.Cancelled());
    QElapsedTimer t;
    t.start();
    while (!d.Cancelled() && t.elapsed() < 5000) {
      d.ProcessEvents();
      ++polls;
    }
    // The window closes only after the operation has returned.
    visibleAfterClick = d.Form()->isVisible();
  };
  EXPECT_EQ(dlg.Execute(), ModalResult::Cancel);
  EXPECT_GE(polls, 1);
  EXPECT_TRUE(visibleAfterClick);
}

TEST(ProgressDlg, EscapeAndCloseRequestsDoNotCloseTheWindow) {
  TProgressDlg dlg;
  bool stillOpen = false;
  dlg.OnExecute = [&](TProgressDlg& d) {
    QTest::keyClick(d.Form(), Qt::Key_Escape);
    d.Form()->close();
    d.ProcessEvents();
    stillOpen = d.Form()->isVisible() && !d.Cancelled();
  };
  EXPECT_EQ(dlg.Execute(), ModalResult::Ok);
  EXPECT_TRUE(stillOpen);
}

TEST(ProgressDlg, ErrorInsideTheOperationClosesTheWindowAndIsShown) {
  testing::ScriptedDialogs boxes;
  TProgressDlg dlg;
  dlg.OnExecute = [](TProgressDlg&) { throw std::runtime_error("disk on fire"); };
  EXPECT_EQ(dlg.Execute(), ModalResult::Abort);
  EXPECT_EQ(dlg.Form(), nullptr);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Text, QStringLiteral("disk on fire"));
  EXPECT_EQ(boxes.Shown[0].Caption, QStringLiteral("エラー"));
  // The dialog can run again afterwards.
  dlg.OnExecute = nullptr;
  EXPECT_EQ(dlg.Execute(), ModalResult::Ok);
}

}  // namespace
}  // namespace yuzulog
