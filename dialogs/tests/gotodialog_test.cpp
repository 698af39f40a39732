// The go-to dialog: what may be typed into the number field and when OK may end it.
#include "dialogs/gotodialog.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "dialogs/dialogseam.h"

namespace yuzulog {
namespace {

struct Parts {
  explicit Parts(TGotoDialog& d)
      : Rooms(d.findChild<QComboBox*>(QStringLiteral("ComboBox1"))),
        Number(d.findChild<QLineEdit*>(QStringLiteral("Edit1"))),
        Ok(d.findChild<QPushButton*>(QStringLiteral("OKBtn"))) {}
  QComboBox* Rooms;
  QLineEdit* Number;
  QPushButton* Ok;
};

std::unique_ptr<TGotoDialog> Dialog() {
  auto d = std::make_unique<TGotoDialog>(nullptr);
  d->AddRoom(3);
  d->AddRoom(12);
  d->SelectEntry(1);
  d->open();
  return d;
}

TEST(GotoDialog, OnlyDigitsAreTypedAndOkFollowsTheNumber) {
  auto d = Dialog();
  Parts p(*d);
  EXPECT_EQ(d->windowTitle(), QStringLiteral("Goto ダイアログ"));
  EXPECT_EQ(p.Number->text(), QString());
  EXPECT_FALSE(p.Ok->isEnabled());
  QTest::keyClicks(p.Number, QStringLiteral("a1 -2+x"));
  EXPECT_EQ(p.Number->text(), QStringLiteral("12"));
  EXPECT_TRUE(p.Ok->isEnabled());
  QTest::keyClick(p.Number, Qt::Key_Backspace);
  EXPECT_EQ(p.Number->text(), QStringLiteral("1"));
  // Pasting is not filtered, but a text that is no number leaves OK disabled.
  QGuiApplication::clipboard()->setText(QStringLiteral("x"));
  QTest::keyClick(p.Number, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(p.Number->text(), QStringLiteral("1x"));
  EXPECT_FALSE(p.Ok->isEnabled());
  EXPECT_EQ(d->SelectedRoom(), 12);
}

TEST(GotoDialog, EnterEndsAsOkOnlyWithAValidNumber) {
  auto d = Dialog();
  Parts p(*d);
  QTest::keyClick(p.Number, Qt::Key_Return);
  EXPECT_TRUE(d->isVisible());
  QTest::keyClicks(p.Number, QStringLiteral("0"));
  QTest::keyClick(p.Number, Qt::Key_Return);
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(static_cast<ModalResult>(d->result()), ModalResult::Ok);

  auto e = Dialog();
  QTest::keyClick(e.get(), Qt::Key_Escape);
  EXPECT_EQ(static_cast<ModalResult>(e->result()), ModalResult::Cancel);
}

}  // namespace
}  // namespace yuzulog
