#include "dialogs/noticeboxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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

TEST(TimedNotice, OneWordBoxIs120WideWithTextAndButtonCentred) {
  auto box = MakeTimedNotice(QStringLiteral("OK"), 1000);
  EXPECT_EQ(box->width(), 120);
  EXPECT_EQ(box->windowTitle(), QStringLiteral("YUZUBANの過去ログを見る"));
  auto* label = box->findChild<QLabel*>();
  EXPECT_EQ(box->height(), label->height() + 49);
  EXPECT_EQ(label->x(), (120 - label->width()) / 2);
  ASSERT_EQ(Buttons(box.get()).size(), 1);
  QPushButton* ok = Buttons(box.get())[0];
  EXPECT_EQ(ok->geometry(), QRect(22, box->height() - 33, 75, 25));
  EXPECT_EQ(ok->text(), QStringLiteral("&OK"));
}

TEST(TimedNotice, LongTextWidensTheBox) {
  const QString text = QStringLiteral("123456 個の発言がロードされました。とても長い文です。");
  auto box = MakeTimedNotice(text, 1000);
  auto* label = box->findChild<QLabel*>();
  EXPECT_GT(box->width(), 120);
  EXPECT_EQ(box->width(), label->width() + 16);
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

TEST(YesNoAll, AtLeast356WideWithFourButtonsInOrder) {
  auto box = MakeYesNoAllBox(QStringLiteral("短い"), QStringLiteral("cap"), ModalResult::No,
                             Qt::AlignLeft);
  EXPECT_EQ(box->width(), 356);
  EXPECT_EQ(box->windowTitle(), QStringLiteral("cap"));
  auto buttons = Buttons(box.get());
  ASSERT_EQ(buttons.size(), 4);
  std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
  EXPECT_EQ(buttons[0]->text(), QStringLiteral("はい(&Y)"));
  EXPECT_EQ(buttons[1]->text(), QStringLiteral("いいえ(&N)"));
  EXPECT_EQ(buttons[2]->text(), QStringLiteral("全てはい(&A)"));
  EXPECT_EQ(buttons[3]->text(), QStringLiteral("全ていいえ(&X)"));
  const int h = box->height();
  EXPECT_EQ(buttons[0]->geometry(), QRect(8, h - 33, 75, 25));
  EXPECT_EQ(buttons[1]->geometry(), QRect(91, h - 33, 75, 25));
  EXPECT_EQ(buttons[2]->geometry(), QRect(174, h - 33, 83, 25));
  EXPECT_EQ(buttons[3]->geometry(), QRect(265, h - 33, 83, 25));
  auto* label = box->findChild<QLabel*>();
  EXPECT_EQ(label->pos(), QPoint(8, 8));
  EXPECT_EQ(h, label->height() + 49);
}

TEST(YesNoAll, LongTextWidensToLabelPlus16) {
  const QString text = QStringLiteral(
      "同名のファイルがすでにロードされています。\r\n\r\n/very/long/path/to/some/log/folder/"
      "with/a/deep/structure/room05a.LOG\r\n\r\nファイルを再ロードしますか？");
  auto box = MakeYesNoAllBox(text, QStringLiteral("c"), ModalResult::No, Qt::AlignLeft);
  auto* label = box->findChild<QLabel*>();
  ASSERT_GT(label->width() + 16, 356);
  EXPECT_EQ(box->width(), label->width() + 16);
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
    WhenShown([caption](QWidget* box) {
      for (QPushButton* b : Buttons(box))
        if (b->text() == caption) b->click();
    });
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

}  // namespace
}  // namespace yuzulog
