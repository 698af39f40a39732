#include "dialogs/qttranslation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <memory>

#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

QString YesText() {
  QMessageBox box;
  return box.addButton(QMessageBox::Yes)->text();
}

// The test runs under LANG=C (see CMakeLists.txt): the texts are Japanese whatever the locale.
TEST(QtJapanese, StandardButtonsAndTheFileDialogReadInJapanese) {
  std::unique_ptr<QTranslator> translator(InstallQtJapanese());
  ASSERT_NE(translator, nullptr) << "qtbase_ja.qm is missing (Debian qt6-translations-l10n)";
  EXPECT_EQ(YesText(), QStringLiteral("はい(&Y)"));
  QMessageBox box;
  EXPECT_EQ(box.addButton(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text(),
            QStringLiteral("ファイル名(&N):"));
  // Destroying the translator takes it out of the application again.
  translator.reset();
  EXPECT_EQ(YesText(), QStringLiteral("&Yes"));
}

TEST(QtJapanese, AMissingTranslationLeavesTheEnglishTexts) {
  testing::TempDir empty;
  EXPECT_EQ(InstallQtJapanese(QString::fromStdString(empty.Path().string())), nullptr);
  EXPECT_EQ(YesText(), QStringLiteral("&Yes"));
}

}  // namespace
}  // namespace yuzulog
