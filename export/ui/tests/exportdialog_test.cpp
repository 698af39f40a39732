// The export window: it exports what it was given, asks before replacing, and offers the result.
#include "export/ui/exportdialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>

#include "mainwindow/ui/mainform.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

struct Loaded {
  Loaded() {
    for (const char* name : {"room05a.LOG", "room05b.LOG"}) {
      auto data = std::make_unique<TLogData>();
      EXPECT_TRUE(data->LoadFromFile(testing::DataFile(name)));
      data->FileName = testing::DataFile(name);
      Files.Append(std::move(data));
    }
    Files.SortLogFiles();
    NullProgress none;
    BuildMessageTree(Files, Tree, none);
  }
  LogFiles Files;
  MessageTree Tree;
};

TEST(ExportDialog, ExportsTheChosenMessagesAndOffersTheResult) {
  Loaded l;
  testing::TempDir dir;
  testing::ScriptedDialogs boxes;
  TExportDialog d(nullptr, l.Files, l.Tree, {&l.Files[0].Items(1), &l.Files[1].Items(0)});
  EXPECT_TRUE(d.findChild<QRadioButton*>(QStringLiteral("ChosenRadio"))->isChecked());
  d.findChild<QComboBox*>(QStringLiteral("FormatBox"))->setCurrentIndex(0);  // JSON Lines
  const std::string out = dir.File("chosen.jsonl");
  d.findChild<QLineEdit*>(QStringLiteral("DestinationEdit"))->setText(QString::fromStdString(out));
  boxes.Answers = {ModalResult::No};  // do not open it
  d.accept();
  ASSERT_TRUE(d.Result().Ok()) << d.Result().Error;
  EXPECT_EQ(d.Result().Messages, 2);
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_TRUE(boxes.Shown[0].Text.contains(QString::fromStdString(out)));
  EXPECT_EQ(testing::ReadFileBytes(out).find("\"number\":2,") != std::string::npos, true);
}

TEST(ExportDialog, AnExistingDestinationStaysUnlessReplacingIsConfirmed) {
  Loaded l;
  testing::TempDir dir;
  testing::ScriptedDialogs boxes;
  TExportDialog d(nullptr, l.Files, l.Tree, {});
  EXPECT_FALSE(d.findChild<QRadioButton*>(QStringLiteral("ChosenRadio"))->isEnabled());
  d.findChild<QComboBox*>(QStringLiteral("FormatBox"))->setCurrentIndex(2);  // web archive
  const std::string out = dir.Write("site", "old");
  d.findChild<QLineEdit*>(QStringLiteral("DestinationEdit"))->setText(QString::fromStdString(out));
  boxes.Answers = {ModalResult::No};
  d.accept();
  EXPECT_EQ(testing::ReadFileBytes(out), "old");
  boxes.Answers = {ModalResult::Yes, ModalResult::No};
  d.accept();
  EXPECT_TRUE(std::filesystem::exists(out + "/index.html"));
  EXPECT_EQ(d.Result().Messages, 23);
}

// The file menu's command opens the dialog on what the workspace holds, offering the rows chosen
// in the search results; with nothing loaded a box says so and no dialog opens.
TEST(ExportDialog, TheFileMenuCommandExportsFromTheWorkspace) {
  testing::ScriptedDialogs boxes;
  TMainForm form({"yuzulog"});
  ExportCommand command(form.Space());
  auto* action = form.findChild<QAction*>(QStringLiteral("ActionExport"));
  ASSERT_NE(action, nullptr);
  EXPECT_FALSE(action->isEnabled());
  form.SetToolWindows(&command, nullptr);
  form.SetToolWindows(&command, nullptr);  // given again, it still opens once
  ASSERT_TRUE(action->isEnabled());
  action->trigger();
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Type, testing::ShownBox::Message);

  form.LoadFileList({testing::DataFile("room05a.LOG"), testing::DataFile("room05b.LOG")}, false);
  NullProgress none;
  ASSERT_EQ(form.Space().SearchByWriterID("TNB22817", none), OpStatus::Completed);
  ASSERT_GE(form.Space().Search().Results().size(), 3u);
  form.Space().Search().Chosen = {{1, 2}};
  boxes.Shown.clear();
  QString offered;
  boxes.DialogAnswers = {[&](QDialog& d) {
    auto* chosen = d.findChild<QRadioButton*>(QStringLiteral("ChosenRadio"));
    if (chosen->isChecked()) offered = chosen->text();
    return ModalResult::Cancel;
  }};
  action->trigger();
  EXPECT_EQ(boxes.Count(testing::ShownBox::Dialog), 1);
  EXPECT_TRUE(offered.contains(QStringLiteral("（2 個）"))) << offered.toStdString();
}

}  // namespace
}  // namespace yuzulog
