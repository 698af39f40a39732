// Recent folders and log sets in the window: their menus, reopening a folder, loading a set by
// the menu and by the command line, and files dropped on the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <filesystem>

#include "mainwindow/logsets.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/tests/formparts.h"
#include "platform/paths.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::Child;
using testing::DataFile;
using testing::RunUntil;
using testing::ScriptedDialogs;
using testing::ShownBox;
using testing::TempDir;

std::unique_ptr<TMainForm> Form(std::vector<std::string> extra = {}) {
  return testing::RichTextForm(std::move(extra));
}

std::string Dir(const TempDir& d) {
  return d.Path().string() + "/";
}

std::vector<std::string> LoadedNames(const TMainForm& f) {
  std::vector<std::string> names;
  for (const auto& file : f.Files())
    names.push_back(BaseName(file->FileName));
  return names;
}

// The texts of a menu's items, separators as "-".
QStringList Items(const QMenu* menu) {
  QStringList texts;
  for (const QAction* a : menu->actions())
    texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return texts;
}

QAction* Item(const QMenu* menu, int index) {
  return menu->actions().value(index);
}

const std::string kData = std::filesystem::path(DataFile("room05a.LOG")).parent_path().string();

// ---- recent folders ---------------------------------------------------------------------------

TEST(RecentFolders, OpenAndAddRecordTheFolderAndTheMenuFollows) {
  ScriptedDialogs boxes;
  TempDir settings;
  auto f = Form();
  f->show();
  f->LoadSettings(Dir(settings));
  auto* reopen = Child<QMenu>(*f, "MenuReopen");
  EXPECT_FALSE(reopen->isEnabled());

  boxes.Files = {{QString::fromStdString(DataFile("room12.lzh"))}};
  Child<QAction>(*f, "ActionOpenArchive")->trigger();
  boxes.Files = {{QStringLiteral("/no/such/dir/x.LOG")}};
  boxes.Answers = {ModalResult::No};  // go on after the failure
  Child<QAction>(*f, "ActionAddArchive")->trigger();
  // Each dialog starts in the folder files were last taken from.
  QStringList starts;
  for (const ShownBox& b : boxes.Shown)
    if (b.Type == ShownBox::OpenFiles) starts << b.Text;
  EXPECT_EQ(starts, (QStringList{QString(), QString::fromStdString(kData)}));
  EXPECT_EQ(f->Space().RecentFolders(), (std::vector<std::string>{"/no/such/dir", kData}));
  EXPECT_TRUE(reopen->isEnabled());
  EXPECT_EQ(Items(reopen), (QStringList{QStringLiteral("&1: /no/such/dir"),
                                        QStringLiteral("&2: ") + QString::fromStdString(kData)}));
}

TEST(RecentFolders, ReopeningStartsInTheFolderAndReplacesWhatIsLoaded) {
  ScriptedDialogs boxes;
  TempDir settings;
  settings.Write("Recent.INI", kData + "\r\n");
  auto f = Form();
  f->ShiftHeld = [] { return true; };  // no add-mode question from this menu
  f->show();
  f->LoadSettings(Dir(settings));
  f->LoadFileList({DataFile("room12.lzh")}, false);

  boxes.Shown.clear();
  boxes.Files = {{QString::fromStdString(DataFile("room03-lh0.lzh"))}};
  Item(Child<QMenu>(*f, "MenuReopen"), 0)->trigger();
  ASSERT_GE(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Type, ShownBox::OpenFiles);
  EXPECT_EQ(boxes.Shown[0].Text, QString::fromStdString(kData));
  EXPECT_EQ(LoadedNames(*f), (std::vector<std::string>{"room03-lh0.lzh"}));
  EXPECT_EQ(boxes.Count(ShownBox::Message), 0);
}

TEST(RecentFolders, AFolderThatIsGoneIsReportedAndDroppedAndTheDialogStillOpens) {
  ScriptedDialogs boxes;
  TempDir settings;
  settings.Write("Recent.INI", "/no/such/folder\r\n/tmp/a&b\r\n");
  auto f = Form();
  f->LoadSettings(Dir(settings));
  auto* reopen = Child<QMenu>(*f, "MenuReopen");
  // An "&" in a folder shows as itself, not as a key.
  EXPECT_EQ(Item(reopen, 1)->text(), QStringLiteral("&2: /tmp/a&&b"));

  Item(reopen, 0)->trigger();
  ASSERT_EQ(boxes.Shown.size(), 2u);
  EXPECT_EQ(boxes.Shown[0].Text,
            QStringLiteral("/no/such/folder\r\n指定されたフォルダが見つかりませんでした"));
  EXPECT_EQ(boxes.Shown[0].Caption, QStringLiteral("エラー"));
  EXPECT_EQ(boxes.Shown[0].Icon, MsgIcon::Error);
  EXPECT_EQ(boxes.Shown[1].Type, ShownBox::OpenFiles);
  EXPECT_EQ(f->Space().RecentFolders(), (std::vector<std::string>{"/tmp/a&b"}));
  EXPECT_EQ(Items(reopen), (QStringList{QStringLiteral("&1: /tmp/a&&b")}));
}

// ---- log sets -----------------------------------------------------------------------------------

// LogSet.INI with the given sets, each of files in tests/data.
std::string LogSetFile(std::vector<std::pair<std::string, std::vector<std::string>>> sets) {
  std::string text;
  for (const auto& [name, files] : sets) {
    std::vector<std::string> paths;
    for (const std::string& file : files)
      paths.push_back(DataFile(file));
    text += LogSetLine(name, paths) + "\r\n";
  }
  return text;
}

TEST(LogSets, MenuListsTheSetsBeforeRegisterAndRemoveWhichFollowWhatThereIs) {
  ScriptedDialogs boxes;
  TempDir settings;
  settings.Write("LogSet.INI", "\"Room 5\",\"/a.LOG\"\r\n\r\n\"R&D\",\"/b.LOG\"\r\n");
  auto f = Form();
  auto* menu = Child<QMenu>(*f, "PopupMenuLogSet");
  emit menu->aboutToShow();
  EXPECT_EQ(Items(menu), (QStringList{"-", "登録(&A)", "削除(&R)"}));
  EXPECT_FALSE(Child<QAction>(*f, "AddLogSetMenu")->isEnabled());
  EXPECT_FALSE(Child<QAction>(*f, "RemoveLogSetMenu")->isEnabled());

  f->LoadSettings(Dir(settings));
  emit menu->aboutToShow();
  EXPECT_EQ(Items(menu), (QStringList{"&0: Room 5", "&1: R&&D", "-", "登録(&A)", "削除(&R)"}));
  EXPECT_FALSE(Child<QAction>(*f, "AddLogSetMenu")->isEnabled());
  EXPECT_TRUE(Child<QAction>(*f, "RemoveLogSetMenu")->isEnabled());
  // The removal item's access key is R, as its caption shows.
  EXPECT_EQ(QKeySequence::mnemonic(Child<QAction>(*f, "RemoveLogSetMenu")->text()),
            QKeySequence(Qt::ALT | Qt::Key_R));

  f->show();
  f->LoadFileList({DataFile("room12.lzh")}, false);
  emit menu->aboutToShow();
  EXPECT_TRUE(Child<QAction>(*f, "AddLogSetMenu")->isEnabled());
}

TEST(LogSets, AChosenSetMovesToTheTopAndLoadsItsFilesInTheirOrder) {
  ScriptedDialogs boxes;
  TempDir settings;
  settings.Write("LogSet.INI", LogSetFile({{"twelve", {"room12.lzh"}},
                                           {"five", {"room05b.LOG", "room05a.LOG"}}}));
  auto f = Form();
  f->show();
  f->LoadSettings(Dir(settings));
  auto* menu = Child<QMenu>(*f, "PopupMenuLogSet");
  boxes.Answers = {ModalResult::No};  // the overlap warning
  Item(menu, 1)->trigger();
  EXPECT_EQ(LoadedNames(*f), (std::vector<std::string>{"room05a.LOG", "room05b.LOG"}));
  EXPECT_EQ(Items(menu).mid(0, 2), (QStringList{"&0: five", "&1: twelve"}));
}

TEST(LogSets, ShiftWithFilesLoadedOffersAddMode) {
  TempDir settings;
  settings.Write("LogSet.INI", LogSetFile({{"twelve", {"room12.lzh"}}}));
  for (const auto& [answer, loaded] :
       {std::pair{ModalResult::Yes, std::vector<std::string>{"room03-lh0.lzh", "room12.lzh"}},
        std::pair{ModalResult::No, std::vector<std::string>{"room12.lzh"}},
        std::pair{ModalResult::Cancel, std::vector<std::string>{"room03-lh0.lzh"}}}) {
    SCOPED_TRACE(static_cast<int>(answer));
    ScriptedDialogs boxes;
    auto f = Form();
    f->show();
    f->LoadSettings(Dir(settings));
    f->LoadFileList({DataFile("room03-lh0.lzh")}, false);
    f->ShiftHeld = [] { return true; };
    boxes.Shown.clear();
    boxes.Answers = {answer};
    Item(Child<QMenu>(*f, "PopupMenuLogSet"), 0)->trigger();
    ASSERT_GE(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, QStringLiteral("ログセットを追加モードで開きますか？"));
    EXPECT_EQ(boxes.Shown[0].Caption, QStringLiteral("ログセットを開く"));
    EXPECT_EQ(boxes.Shown[0].Buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(boxes.Shown[0].DefaultResult, ModalResult::Cancel);
    EXPECT_EQ(LoadedNames(*f), loaded);
  }
}

// Answers the input dialog: the prompt it showed, the names it offered, then what is entered.
struct InputAnswer {
  QString Prompt;
  QStringList Offered;
  bool ListOnly = false;
};
std::function<ModalResult(QDialog&)> Enter(const QString& text, ModalResult end,
                                           InputAnswer* seen = nullptr) {
  return [text, end, seen](QDialog& d) {
    auto* input = d.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    if (seen) {
      seen->Prompt = d.findChild<QLabel*>(QStringLiteral("Label1"))->text();
      for (int i = 0; i < input->count(); ++i)
        seen->Offered << input->itemText(i);
      seen->ListOnly = !input->isEditable();
    }
    if (input->isEditable())
      input->setEditText(text);
    else
      input->setCurrentIndex(input->findText(text));
    return end;
  };
}

TEST(LogSets, RegisterAndRemoveThroughTheInputDialog) {
  ScriptedDialogs boxes;
  auto f = Form();
  f->show();
  f->LoadFileList({DataFile("room12.lzh")}, false);
  auto* menu = Child<QMenu>(*f, "PopupMenuLogSet");
  QAction* add = Child<QAction>(*f, "AddLogSetMenu");
  QAction* remove = Child<QAction>(*f, "RemoveLogSetMenu");

  // A new name.
  boxes.Shown.clear();
  InputAnswer seen;
  boxes.DialogAnswers = {Enter(QStringLiteral("Room 12"), ModalResult::Ok, &seen)};
  emit menu->aboutToShow();
  add->trigger();
  ASSERT_EQ(boxes.Count(ShownBox::Dialog), 1);
  EXPECT_EQ(boxes.Shown.back().Caption, QStringLiteral("ログセット"));
  EXPECT_EQ(seen.Prompt, QStringLiteral("登録"));
  EXPECT_FALSE(seen.ListOnly);
  EXPECT_EQ(Items(menu), (QStringList{"&0: Room 12", "-", "登録(&A)", "削除(&R)"}));

  // The same name in other letters, refused and then accepted; the names are offered.
  boxes.DialogAnswers = {Enter(QStringLiteral("ROOM 12"), ModalResult::Ok, &seen)};
  boxes.Answers = {ModalResult::Cancel};
  boxes.Shown.clear();
  seen = {};
  emit menu->aboutToShow();
  add->trigger();
  EXPECT_EQ(seen.Offered, (QStringList{"Room 12"}));
  ASSERT_EQ(boxes.Count(ShownBox::Message), 1);
  EXPECT_EQ(boxes.Shown.back().Text,
            QStringLiteral("同じ名前が既に登録されています。\r\n上書きしますか？"));
  EXPECT_EQ(boxes.Shown.back().Caption, QStringLiteral("ログセットの登録"));
  EXPECT_EQ(boxes.Shown.back().DefaultResult, ModalResult::Cancel);
  EXPECT_EQ(Items(menu).first(), QStringLiteral("&0: Room 12"));
  f->LoadFileList({DataFile("room03-lh0.lzh")}, true);
  boxes.DialogAnswers = {Enter(QStringLiteral("ROOM 12"), ModalResult::Ok)};
  boxes.Answers = {ModalResult::Ok};
  emit menu->aboutToShow();
  add->trigger();
  EXPECT_EQ(Items(menu), (QStringList{"&0: ROOM 12", "-", "登録(&A)", "削除(&R)"}));
  // The set holds the loaded files in their order.
  EXPECT_EQ(f->Space().LogSets().front().Files,
            (std::vector<std::string>{DataFile("room03-lh0.lzh"), DataFile("room12.lzh")}));

  // Cancelled: nothing is registered.
  boxes.DialogAnswers = {Enter(QStringLiteral("other"), ModalResult::Cancel)};
  emit menu->aboutToShow();
  add->trigger();
  EXPECT_EQ(f->Space().LogSets().size(), 1u);

  // Removing offers the names only as choices and asks nothing more.
  boxes.Shown.clear();
  seen = {};
  boxes.DialogAnswers = {Enter(QStringLiteral("ROOM 12"), ModalResult::Ok, &seen)};
  emit menu->aboutToShow();
  remove->trigger();
  EXPECT_EQ(seen.Prompt, QStringLiteral("削除"));
  EXPECT_TRUE(seen.ListOnly);
  EXPECT_EQ(boxes.Count(ShownBox::Message), 0);
  EXPECT_TRUE(f->Space().LogSets().empty());
  EXPECT_EQ(Items(menu), (QStringList{"-", "登録(&A)", "削除(&R)"}));
}

TEST(LogSets, CommandLineKeyLoadsTheSetItNamesWhenTheWindowFirstShows) {
  TempDir settings;
  settings.Write("LogSet.INI", LogSetFile({{"Five", {"room05a.LOG"}},
                                           {"two words", {"room12.lzh"}},
                                           {"0", {"room03-lh0.lzh"}}}));
  // Which set a value names is the core's matter; here the key and a value that names nothing.
  const struct {
    const char* Argument;
    std::vector<std::string> Loaded;
  } cases[] = {
      {"logset:\"two words\"", {"room12.lzh"}},  // the key in any case, the name in quotes
      {"LogSet:2", {"room03-lh0.lzh"}},          // the set at that place in the list file
      {"LogSet:five", {}},                       // names compare exactly
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Argument);
    ScriptedDialogs boxes;
    auto f = Form({c.Argument});
    f->LoadSettings(Dir(settings));
    f->show();
    EXPECT_EQ(RunUntil([&] { return !f->Files().Empty(); }, c.Loaded.empty() ? 300 : 5000),
              !c.Loaded.empty());
    EXPECT_EQ(LoadedNames(*f), c.Loaded);
    // The order of the sets does not change.
    EXPECT_EQ(f->Space().LogSets().front().Name, "Five");
  }
}

TEST(LoadReport, AWarningAboutManyOverlapsStaysWithinTheScreen) {
  ScriptedDialogs boxes;
  TempDir copies;
  const std::string log = testing::ReadFileBytes(DataFile("room05a.LOG"));
  std::vector<std::string> paths;
  for (int i = 0; i < 60; ++i)
    paths.push_back(copies.Write("room05a-" + std::to_string(i) + ".LOG", log));
  auto f = Form();
  f->show();
  boxes.Answers = {ModalResult::No};
  f->LoadFileList(paths, false);
  ASSERT_EQ(boxes.Count(ShownBox::Message), 1);
  const auto lines = boxes.Shown.back().Text.count(QStringLiteral("\r\n")) + 1;
  EXPECT_LE(lines * QFontMetrics(QApplication::font("QMessageBox")).lineSpacing(),
            f->screen()->availableGeometry().height());
}

// ---- dropped files ------------------------------------------------------------------------------

// Drops files on the window; true when the window took them.
bool Drop(TMainForm& f, const QList<QUrl>& urls, Qt::KeyboardModifiers modifiers) {
  QMimeData data;
  data.setUrls(urls);
  const QPointF at(f.width() / 2, f.height() / 2);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
  QApplication::sendEvent(&f, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
  QApplication::sendEvent(&f, &drop);
  QApplication::processEvents();
  return drop.isAccepted();
}

QUrl Url(const char* file) {
  return QUrl::fromLocalFile(QString::fromStdString(DataFile(file)));
}

TEST(DroppedFiles, OpenWithoutShiftAndAddWithShift) {
  ScriptedDialogs boxes;
  auto f = Form();
  f->show();
  boxes.Answers = {ModalResult::No, ModalResult::No};  // overlap warnings
  ASSERT_TRUE(Drop(*f, {Url("room05a.LOG"), Url("room05b.LOG")}, Qt::NoModifier));
  EXPECT_EQ(LoadedNames(*f), (std::vector<std::string>{"room05a.LOG", "room05b.LOG"}));
  EXPECT_EQ(f->Space().RecentFolders(), (std::vector<std::string>{kData}));

  ASSERT_TRUE(Drop(*f, {Url("room12.lzh")}, Qt::ShiftModifier));
  EXPECT_EQ(LoadedNames(*f),
            (std::vector<std::string>{"room05a.LOG", "room05b.LOG", "room12.lzh"}));

  ASSERT_TRUE(Drop(*f, {Url("room03-lh0.lzh")}, Qt::NoModifier));
  EXPECT_EQ(LoadedNames(*f), (std::vector<std::string>{"room03-lh0.lzh"}));
  // Dropping never asks whether to add.
  for (const ShownBox& b : boxes.Shown)
    EXPECT_NE(b.Caption, QStringLiteral("ログファイルを開く"));
}

TEST(DroppedFiles, FoldersAndRemoteAddressesAreNotTaken) {
  ScriptedDialogs boxes;
  auto f = Form();
  f->show();
  EXPECT_FALSE(Drop(*f, {QUrl::fromLocalFile(QString::fromStdString(kData))}, Qt::NoModifier));
  EXPECT_FALSE(Drop(*f, {QUrl(QStringLiteral("https://example.org/room05a.LOG"))}, Qt::NoModifier));
  EXPECT_TRUE(f->Files().Empty());
  EXPECT_TRUE(boxes.Shown.empty());
}

}  // namespace
}  // namespace yuzulog
