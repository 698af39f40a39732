// The input dialog: completion from its items while typing, and what it returns.
#include "dialogs/inputdialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "tests/support/scripteddialogs.h"

namespace yuzulog {
namespace {

using testing::ScriptedDialogs;

QComboBox* Input(QWidget& d) {
  return d.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
}

const QStringList kItems = {QStringLiteral("Alpha"), QStringLiteral("alpine"),
                            QStringLiteral("Beta")};

TEST(InputDialog, TypingCompletesFromTheItemsAndBackspaceDoesNot) {
  TInputDialog d;
  d.Setup(QStringLiteral("登録"), QStringLiteral("名前"), QString(), false, kItems);
  d.show();
  QLineEdit* edit = Input(d)->lineEdit();
  QTest::keyClicks(edit, QStringLiteral("al"));
  EXPECT_EQ(edit->text(), QStringLiteral("Alpha"));  // the item's letter case
  EXPECT_EQ(edit->selectedText(), QStringLiteral("pha"));
  // Typing on replaces the completed tail and completes again.
  QTest::keyClicks(edit, QStringLiteral("pi"));
  EXPECT_EQ(edit->text(), QStringLiteral("alpine"));
  EXPECT_EQ(edit->selectedText(), QStringLiteral("ne"));
  // Backspace removes the completion without completing at once; the next key completes again.
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), QStringLiteral("alpi"));
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), QStringLiteral("alp"));
  QTest::keyClicks(edit, QStringLiteral("h"));
  EXPECT_EQ(edit->text(), QStringLiteral("Alpha"));
  // Nothing begins with the text: it stays as typed.
  edit->clear();
  QTest::keyClicks(edit, QStringLiteral("x"));
  EXPECT_EQ(edit->text(), QStringLiteral("x"));
}

TEST(InputDialog, NoItemsNothingCompleted) {
  TInputDialog d;
  d.Setup(QStringLiteral("登録"), QStringLiteral("名前"), QString(), false, {});
  d.show();
  QTest::keyClicks(Input(d)->lineEdit(), QStringLiteral("ab"));
  EXPECT_EQ(Input(d)->currentText(), QStringLiteral("ab"));
}

TEST(InputDialog, ReturnsTheInputOnOkAndTheInitialTextOtherwise) {
  ScriptedDialogs boxes;
  const auto typeAndEnd = [](const QString& text, ModalResult end) {
    return [text, end](QDialog& d) {
      Input(d)->lineEdit()->setText(text);
      return end;
    };
  };
  boxes.DialogAnswers = {typeAndEnd(QStringLiteral("新しい"), ModalResult::Ok),
                         typeAndEnd(QStringLiteral("新しい"), ModalResult::Cancel)};
  for (const QString& expected : {QStringLiteral("新しい"), QStringLiteral("初め")})
    EXPECT_EQ(ShowInputDialog(QStringLiteral("登録"), QStringLiteral("名前"),
                              QStringLiteral("初め"), false, kItems),
              expected);
  ASSERT_EQ(boxes.Count(testing::ShownBox::Dialog), 2);
  EXPECT_EQ(boxes.Shown[0].Caption, QStringLiteral("登録"));

  // A choice among the items only.
  const auto choose = [](int index, ModalResult end) {
    return [index, end](QDialog& d) {
      EXPECT_FALSE(Input(d)->isEditable());
      Input(d)->setCurrentIndex(index);
      return end;
    };
  };
  boxes.DialogAnswers = {choose(2, ModalResult::Ok), choose(2, ModalResult::Cancel)};
  EXPECT_EQ(ShowInputDialog({}, {}, QStringLiteral("alpine"), true, kItems),
            QStringLiteral("Beta"));
  EXPECT_EQ(ShowInputDialog({}, {}, QStringLiteral("alpine"), true, kItems),
            QStringLiteral("alpine"));
}

}  // namespace
}  // namespace yuzulog
