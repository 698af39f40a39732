#include "dialogs/progressdlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "tests/support/scripteddialogs.h"

namespace yuzulog {
namespace {

// The visible parts of the window, top to bottom.
std::vector<QWidget*> VisibleParts(const TProgressForm& form) {
  std::vector<QWidget*> parts;
  for (QWidget* w : {static_cast<QWidget*>(form.Label), static_cast<QWidget*>(form.Bar),
                     static_cast<QWidget*>(form.Button)})
    if (w->isVisible()) parts.push_back(w);
  return parts;
}

TEST(ProgressDlg, PartsFollowTheOptionsStackedInsideTheWindow) {
  for (int bits = 1; bits <= kAllProgressOptions.toInt(); ++bits) {
    SCOPED_TRACE(bits);
    const TProgressDlgOptions options(QFlag{bits});
    TProgressDlg dlg;
    dlg.SetOptions(options);
    dlg.Execute([&](TProgressDlg& d) {
      const TProgressForm& form = *d.Form();
      EXPECT_EQ(form.Label->isVisible(), options.testFlag(TProgressDlgOption::Label));
      EXPECT_EQ(form.Bar->isVisible(), options.testFlag(TProgressDlgOption::ProgressBar));
      EXPECT_EQ(form.Button->isVisible(), options.testFlag(TProgressDlgOption::CancelBtn));
      int bottom = 0;
      for (QWidget* part : VisibleParts(form)) {
        EXPECT_GE(part->y(), bottom);  // below the part before, never over it
        EXPECT_TRUE(form.rect().contains(part->geometry()));
        const int rightMargin = form.width() - part->geometry().right() - 1;
        EXPECT_LE(std::abs(part->x() - rightMargin), 1);  // centred
        bottom = part->geometry().bottom() + 1;
      }
      EXPECT_LE(form.height() - bottom, 8);  // no more than a gap below the last part
    });
  }
}

TEST(ProgressDlg, CancelButtonSwitchedOnWhileRunningGrowsTheWindowByItsRow) {
  TProgressDlg dlg;
  dlg.SetOptions(TProgressDlgOption::Label | TProgressDlgOption::ProgressBar);
  QSize before, with, after;
  int buttonRow = 0;
  dlg.Execute([&](TProgressDlg& d) {
    before = d.Form()->size();
    d.SetOptions(kAllProgressOptions);
    with = d.Form()->size();
    buttonRow = d.Form()->Button->height() + 8;
    EXPECT_TRUE(d.Form()->Button->isVisible());
    d.SetOptions(TProgressDlgOption::Label | TProgressDlgOption::ProgressBar);
    after = d.Form()->size();
  });
  EXPECT_EQ(with, before + QSize(0, buttonRow));
  EXPECT_EQ(after, before);
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
  std::vector<std::string> mirrored;
  dlg.OnText = [&](const std::string& text) { mirrored.push_back(text); };
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
  EXPECT_EQ(mirrored, (std::vector<std::string>{"before", "発言ツリーを作成しています"}));
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

// A load asks for events once a file: a thousand files must not draw the window a thousand times.
TEST(ProgressDlg, EventsAreTakenAtMostOnceAnInterval) {
  TProgressDlg dlg;
  dlg.SetEventsEveryMs(3600 * 1000);
  dlg.Execute([](TProgressDlg& d) {
    int delivered = 0;
    for (int call = 0; call < 2; ++call) {
      QTimer::singleShot(0, d.Form(), [&] { ++delivered; });
      d.ProcessEvents();  // the first call of a run takes them, the second waits
    }
    EXPECT_EQ(delivered, 1);
  });
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
