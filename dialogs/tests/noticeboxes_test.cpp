#include "dialogs/noticeboxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "dialogs/dialogseam.h"

namespace yuzulog {
namespace {

QList<QPushButton*> Buttons(QWidget* box) {
  return box->findChildren<QPushButton*>();
}

// Runs action on the modal box once it is shown.
void WhenShown(std::function<void(QWidget*)> action) {
  QTimer::singleShot(0, [action] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    action(box);
  });
}

// Presses the button with that caption once the modal box is shown.
void PressWhenShown(const QString& caption) {
  WhenShown([caption](QWidget* box) {
    for (QPushButton* b : Buttons(box))
      if (b->text() == caption) b->click();
  });
}

// Within one pixel: an odd margin cannot be split evenly.
void ExpectCentred(const QWidget& part, const QWidget& box) {
  const int rightMargin = box.width() - part.geometry().right() - 1;
  EXPECT_LE(std::abs(part.x() - rightMargin), 1);
}

const QString kLongText = QStringLiteral(
    "同名のファイルがすでにロードされています。\r\n\r\n/very/long/path/to/some/log/folder/"
    "with/a/deep/structure/room05a.LOG\r\n\r\nファイルを再ロードしますか？");

TEST(TimedNotice, TextAndButtonCentredAndTheBoxGrowsWithItsText) {
  auto one = MakeTimedNotice(QStringLiteral("OK"), 1000);
  auto longer = MakeTimedNotice(kLongText, 1000);
  EXPECT_GT(longer->width(), one->width());
  for (TNoticeBox* box : {one.get(), longer.get()}) {
    EXPECT_EQ(box->windowTitle(), QStringLiteral("YUZUBANの過去ログを見る"));
    auto* label = box->findChild<QLabel*>();
    ASSERT_EQ(Buttons(box).size(), 1);
    QPushButton* ok = Buttons(box)[0];
    EXPECT_EQ(ok->text(), QStringLiteral("&OK"));
    ExpectCentred(*label, *box);
    ExpectCentred(*ok, *box);
    EXPECT_GT(ok->y(), label->geometry().bottom());
    EXPECT_TRUE(box->rect().contains(ok->geometry()));
    EXPECT_GE(box->width(), label->width() + 16);
  }
  // A long text sets the width: a margin on each side of it.
  EXPECT_EQ(longer->width(), longer->findChild<QLabel*>()->width() + 16);
}

TEST(Boxes, EachIsWideEnoughForItsWholeCaption) {
  const QString caption =
      QStringLiteral("ログデータの警告 ログデータの警告 ログデータの警告 ログデータの警告");
  EXPECT_GE(MakeTimedNotice(QStringLiteral("x"), 1000)->width(), CaptionWidth(ApplicationTitle()));
  EXPECT_GE(MakeYesNoAllBox(QStringLiteral("x"), caption, ModalResult::No, Qt::AlignLeft)->width(),
            CaptionWidth(caption));
  int width = 0;
  WhenShown([&width](QWidget* box) {
    width = box->width();
    box->close();
  });
  Dialogs().MessageBox(nullptr, QStringLiteral("x"), caption, MsgButtons::Ok, MsgIcon::Warning,
                       ModalResult::Ok);
  EXPECT_GE(width, CaptionWidth(caption));
}

TEST(TimedNotice, ClosesItselfAfterTheIntervalCountedFromShowing) {
  auto box = MakeTimedNotice(QStringLiteral("3 個の発言"), 150);
  QTest::qSleep(300);  // time before showing does not count
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(box->Exec(), ModalResult::Ok);
  EXPECT_GE(t.elapsed(), 140);
  EXPECT_LT(t.elapsed(), 3000);
}

TEST(TimedNotice, OkClosesAtOnce) {
  QElapsedTimer t;
  t.start();
  WhenShown([](QWidget* box) { Buttons(box)[0]->click(); });
  ShowTimedNotice(QStringLiteral("x"), 60000);
  EXPECT_LT(t.elapsed(), 5000);
}

TEST(YesNoAll, FourButtonsInOneRowAndTheBoxGrowsWithItsText) {
  auto shortBox = MakeYesNoAllBox(QStringLiteral("短い"), QStringLiteral("cap"), ModalResult::No,
                                  Qt::AlignLeft);
  auto longBox = MakeYesNoAllBox(kLongText, QStringLiteral("cap"), ModalResult::No, Qt::AlignLeft);
  EXPECT_GT(longBox->width(), shortBox->width());
  for (TNoticeBox* box : {shortBox.get(), longBox.get()}) {
    EXPECT_EQ(box->windowTitle(), QStringLiteral("cap"));
    auto buttons = Buttons(box);
    ASSERT_EQ(buttons.size(), 4);
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(buttons[1]->text(), QStringLiteral("いいえ(&N)"));
    EXPECT_EQ(buttons[2]->text(), QStringLiteral("全てはい(&A)"));
    EXPECT_EQ(buttons[3]->text(), QStringLiteral("全ていいえ(&X)"));
    // One row below the text, equal gaps, all of it inside the box.
    auto* label = box->findChild<QLabel*>();
    const int gap = buttons[0]->x();
    EXPECT_GT(gap, 0);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(buttons[i]->y(), buttons[0]->y());
      EXPECT_GT(buttons[i]->y(), label->geometry().bottom());
      if (i > 0) {
        EXPECT_EQ(buttons[i]->x(), buttons[i - 1]->geometry().right() + 1 + gap);
      }
    }
    EXPECT_GE(box->width(), buttons[3]->geometry().right() + 1 + gap);
    EXPECT_TRUE(box->rect().contains(buttons[3]->geometry()));
    EXPECT_EQ(label->pos(), QPoint(gap, gap));
  }
  EXPECT_EQ(longBox->width(), longBox->findChild<QLabel*>()->width() + 16);
}

TEST(YesNoAll, DefaultAnswerHasTheFocusAndEnterChoosesIt) {
  for (ModalResult dflt :
       {ModalResult::Yes, ModalResult::No, ModalResult::YesToAll, ModalResult::NoToAll}) {
    WhenShown([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(AskYesNoAll(QStringLiteral("q"), QStringLiteral("c"), dflt, Qt::AlignLeft), dflt);
  }
}

TEST(YesNoAll, EachButtonGivesItsResultAndClosingGivesCancel) {
  const std::pair<QString, ModalResult> cases[] = {
      {QStringLiteral("はい(&Y)"), ModalResult::Yes},
      {QStringLiteral("いいえ(&N)"), ModalResult::No},
      {QStringLiteral("全てはい(&A)"), ModalResult::YesToAll},
      {QStringLiteral("全ていいえ(&X)"), ModalResult::NoToAll}};
  for (const auto& [caption, result] : cases) {
    PressWhenShown(caption);
    EXPECT_EQ(AskYesNoAll(QStringLiteral("q"), QStringLiteral("c"), ModalResult::No, Qt::AlignLeft),
              result);
  }
  WhenShown([](QWidget* box) { box->close(); });
  EXPECT_EQ(AskYesNoAll(QStringLiteral("q"), QStringLiteral("c"), ModalResult::No, Qt::AlignLeft),
            ModalResult::Cancel);
  WhenShown([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_EQ(AskYesNoAll(QStringLiteral("q"), QStringLiteral("c"), ModalResult::Yes, Qt::AlignLeft),
            ModalResult::Cancel);
}

TEST(Overwrite, BackHasTheFocusEachButtonGivesItsAnswerAndClosingCancels) {
  const std::pair<QString, ModalResult> cases[] = {
      {QStringLiteral("上書き(&O)"), ModalResult::Ok},
      {QStringLiteral("追加書き込み(&A)"), ModalResult::Yes},
      {QStringLiteral("戻る(&R)"), ModalResult::No},
      {QStringLiteral("キャンセル(&X)"), ModalResult::Cancel}};
  for (const auto& [caption, result] : cases) {
    PressWhenShown(caption);
    EXPECT_EQ(AskOverwrite(QStringLiteral("/tmp/a.txt")), result);
  }
  WhenShown([](QWidget* box) {
    EXPECT_EQ(box->windowTitle(), QStringLiteral("ファイルにリストの発言を書き出す"));
    EXPECT_EQ(box->findChild<QLabel*>()->text(),
              QStringLiteral("/tmp/a.txt\nファイルは既に存在します。"));
    QTest::keyClick(box, Qt::Key_Return);
  });
  EXPECT_EQ(AskOverwrite(QStringLiteral("/tmp/a.txt")), ModalResult::No);
  WhenShown([](QWidget* box) { box->close(); });
  EXPECT_EQ(AskOverwrite(QStringLiteral("/tmp/a.txt")), ModalResult::Cancel);
}

TEST(Overwrite, ButtonsInOneRowBelowTheNameAndALongNameWidensTheBox) {
  auto shortBox = MakeOverwriteBox(QStringLiteral("/a.txt"));
  auto longBox = MakeOverwriteBox(QStringLiteral("/very/long/path") + QString(60, u'x') + ".txt");
  EXPECT_GT(longBox->width(), shortBox->width());
  for (TNoticeBox* box : {shortBox.get(), longBox.get()}) {
    auto buttons = Buttons(box);
    ASSERT_EQ(buttons.size(), 4);
    auto* label = box->findChild<QLabel*>();
    EXPECT_GE(box->width(), label->sizeHint().width());
    for (QPushButton* b : buttons) {
      EXPECT_EQ(b->y(), buttons[0]->y());
      EXPECT_GT(b->y(), label->geometry().bottom());
      EXPECT_TRUE(box->rect().contains(b->geometry()));
    }
  }
}

// The dialog matches names with the file system's case, and the logs' names come in both.
TEST(LogFileFilter, TheFirstFilterTakesBothKindsInEitherCase) {
  const QString first = LogFileFilter().section(QStringLiteral(";;"), 0, 0);
  EXPECT_TRUE(first.startsWith(QStringLiteral("ログファイル (")));
  for (const char* pattern : {"*.lzh", "*.log", "*.LZH", "*.LOG"})
    EXPECT_TRUE(first.contains(QLatin1String(pattern))) << pattern;
}

}  // namespace
}  // namespace yuzulog
