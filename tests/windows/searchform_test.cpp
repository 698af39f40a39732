// The search window with the main window beside it, over logs loaded as a person loads them;
// every box and file dialog is answered by the test.
#include "search/ui/searchform.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <csignal>
#include <filesystem>

#ifdef YUZULOG_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

#include "dialogs/externalopen.h"
#include "dialogs/progressdlg.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/tests/formparts.h"
#include "platform/cp932.h"
#include "search/searchsettings.h"
#include "tests/support/logbuilder.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

using testing::Action;
using testing::Child;
using testing::LogBuilder;
using testing::MessageSpec;
using testing::ReadFileBytes;
using testing::RunUntil;
using testing::ScriptedDialogs;
using testing::ShownBox;
using testing::Sjis;
using testing::TempDir;

MessageSpec Msg(int number, std::string body, std::string id = "ABC01234") {
  MessageSpec m;
  m.Number = number;
  m.Body = std::move(body);
  m.ID = std::move(id);
  return m;
}

// Presses the cancel button of the next progress window as soon as it is shown.
void CancelNextProgress() {
  QTimer::singleShot(0, [] {
    if (auto* form = qobject_cast<TProgressForm*>(QApplication::activeModalWidget()))
      form->Button->click();
  });
}

class SearchFormTest : public ::testing::Test {
 protected:
  SearchFormTest() {
    Main = std::make_unique<TMainForm>(std::vector<std::string>{"yuzulog", "ViewMode:1"});
    Main->ShiftHeld = [] { return false; };
    Search = std::make_unique<TSearchForm>(Main->Space());
    Main->SetSearchWindow(Search.get());
    SetUrlOpener([this](const QUrl& url) {
      Opened.push_back(url.toLocalFile());
      return OpenerTakes;
    });
    Main->show();
    Search->show();
  }
  ~SearchFormTest() override { SetUrlOpener({}); }

  void Load(const std::vector<MessageSpec>& specs, const char* name = "room12.LOG") {
    LogBuilder b;
    for (const MessageSpec& s : specs)
      b.Add(s);
    Main->LoadFileList({Dir.Write(name, b.Text())}, false);
    Boxes.Shown.clear();
  }

  template <class T>
  T* Named(const char* name) {
    return Child<T>(*Search, name);
  }
  QLineEdit* Edit(int i) { return Named<QLineEdit>(("Edit" + std::to_string(i)).c_str()); }
  QCheckBox* Box(const char* name) { return Named<QCheckBox>(name); }
  QTableView* List() { return Named<QTableView>("ListView1"); }
  QString Status() { return Named<QLabel>("StatusBar1")->text(); }

  // Types the words into the keyword fields (the rest emptied) and runs the search.
  void Run(std::vector<QString> words) {
    for (int i = 1; i <= 4; ++i)
      Edit(i)->setText(i <= static_cast<int>(words.size()) ? words[i - 1] : QString());
    Named<QPushButton>("Button1")->click();
  }
  std::vector<int> Numbers() {
    std::vector<int> n;
    for (const TLogMessage* m : Search->Results())
      n.push_back(m->Number);
    return n;
  }
  void SelectRows(std::initializer_list<int> rows) {
    QItemSelectionModel* s = List()->selectionModel();
    s->clear();
    for (int r : rows)
      s->select(List()->model()->index(r, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
    QTest::keyClick(w, key, mods);
  }
  QString LastNotice() {
    for (auto it = Boxes.Shown.rbegin(); it != Boxes.Shown.rend(); ++it)
      if (it->Type == ShownBox::Notice) return it->Text;
    return {};
  }

  ScriptedDialogs Boxes;
  TempDir Dir;
  std::vector<QString> Opened;
  bool OpenerTakes = true;
  std::unique_ptr<TMainForm> Main;  // destroyed after the search window
  std::unique_ptr<TSearchForm> Search;
};

TEST_F(SearchFormTest, RunButtonNeedsALoadedLogAndAUsableFieldNarrowingAlsoRows) {
  auto* run = Named<QPushButton>("Button1");
  auto* nest = Box("CheckBoxNest");
  Edit(3)->setText(QStringLiteral("柚子"));
  EXPECT_FALSE(run->isEnabled());  // nothing loaded
  Key(Edit(3), Qt::Key_Return, Qt::NoModifier);
  EXPECT_TRUE(Boxes.Shown.empty());  // Enter does nothing either

  Load({Msg(1, "柚子"), Msg(2, "蜜柑")});
  EXPECT_TRUE(run->isEnabled());  // the main window re-evaluates after loading
  EXPECT_FALSE(nest->isEnabled());
  Box("CheckBox3")->click();  // unchecked by hand: no usable field
  EXPECT_FALSE(run->isEnabled());
  Box("CheckBox2")->click();  // checked by hand, but empty
  EXPECT_FALSE(run->isEnabled());
  Named<QLineEdit>("EditID")->setText(QStringLiteral("ABC01234"));
  EXPECT_TRUE(Box("CheckBoxID")->isChecked());
  EXPECT_TRUE(run->isEnabled());
  run->click();
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 2}));
  EXPECT_TRUE(nest->isEnabled());

  // Closing the logs empties the list and its status bar; the buttons follow.
  Main->RemoveLogFiles({&Main->Files()[0]});
  EXPECT_TRUE(Search->Results().empty());
  EXPECT_EQ(Status(), QString());
  EXPECT_FALSE(run->isEnabled());
  EXPECT_FALSE(nest->isEnabled());
}

TEST_F(SearchFormTest, TypingChecksAFieldEmptyingUnchecksItAndEnterSearches) {
  Load({Msg(1, "柚子"), Msg(2, "蜜柑")});
  for (const char* name : {"Edit1", "Edit4", "EditID", "EditName"}) {
    SCOPED_TRACE(name);
    auto* edit = Named<QLineEdit>(name);
    const QString box = QString::fromUtf8(name).replace(QStringLiteral("Edit"), "CheckBox");
    QTest::keyClicks(edit, QStringLiteral("x"));
    EXPECT_TRUE(Named<QCheckBox>(box.toUtf8().constData())->isChecked());
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_FALSE(Named<QCheckBox>(box.toUtf8().constData())->isChecked());
  }
  Edit(2)->setText(QStringLiteral("蜜柑"));
  Key(Edit(2), Qt::Key_Enter, Qt::NoModifier);
  EXPECT_EQ(Numbers(), (std::vector<int>{2}));
  EXPECT_EQ(Status(), QStringLiteral("1 個の発言がヒットしました"));
  EXPECT_TRUE(LastNotice().startsWith(QStringLiteral("1 個の発言がヒットしました\r\n\r\n(")));
  EXPECT_TRUE(LastNotice().endsWith(QStringLiteral(" msec)")));
}

TEST_F(SearchFormTest, EachIgnoreModeCaseAndTheCompoundKey) {
  Load({Msg(1, "柚子\n胡椒"), Msg(2, "柚子　胡椒"), Msg(3, "柚子胡椒"), Msg(4, "ゆず"),
        Msg(5, "CITY")});
  struct Case {
    int IgnoreCode;
    bool IgnoreCase;
    bool Enhanced;
    QString Word;
    std::vector<int> Hits;
  };
  const Case cases[] = {
      {0, false, false, QStringLiteral("柚子胡椒"), {3}},
      {1, false, false, QStringLiteral("柚子胡椒"), {1, 3}},
      {2, false, false, QStringLiteral("柚子胡椒"), {1, 2, 3}},
      {0, false, false, QStringLiteral("city"), {}},
      {0, true, false, QStringLiteral("city"), {5}},
      {0, false, true, QStringLiteral("ゆず,柚子胡椒"), {3, 4}},
      {0, false, false, QStringLiteral("ゆず,柚子胡椒"), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Word.toStdString() + " code " + std::to_string(c.IgnoreCode));
    Main->Space().ClearResults();
    Named<QComboBox>("IgnoreCode")->setCurrentIndex(c.IgnoreCode);
    Box("IgnoreCase")->setChecked(c.IgnoreCase);
    Box("Enhanced")->setChecked(c.Enhanced);
    Run({c.Word});
    EXPECT_EQ(Numbers(), c.Hits);
  }
}

TEST_F(SearchFormTest, TextWithoutACodePage932FormIsReportedAndNotSearched) {
  Load({Msg(1, "柚子")});
  Run({QStringLiteral("柚子😀")});
  EXPECT_EQ(Status(),
            QStringLiteral("キーワード1 の「😀」はシフトJISにない文字なので検索できません"));
  EXPECT_TRUE(Boxes.Shown.empty());  // no progress, no notice
  EXPECT_TRUE(Search->Results().empty());
}

TEST_F(SearchFormTest, NarrowingSearchesTheListInItsOrderAndNoHitKeepsIt) {
  Load({Msg(1, "柚子 a"), Msg(2, "柚子 b"), Msg(3, "柚子 a"), Msg(4, "other a")});
  Run({QStringLiteral("柚子")});
  emit List()->horizontalHeader()->sectionClicked(1);  // 番号
  emit List()->horizontalHeader()->sectionClicked(1);  // descending
  EXPECT_EQ(Numbers(), (std::vector<int>{3, 2, 1}));
  Box("CheckBoxNest")->setChecked(true);
  Run({QStringLiteral("a")});
  EXPECT_EQ(Numbers(), (std::vector<int>{3, 1}));
  Run({QStringLiteral("zzz")});
  EXPECT_EQ(Numbers(), (std::vector<int>{3, 1}));
  EXPECT_EQ(Status(), QStringLiteral("2 個の発言がヒットしました"));
  EXPECT_TRUE(LastNotice().startsWith(QStringLiteral("0 個の発言がヒットしました")));
}

TEST_F(SearchFormTest, InterruptedSearchAsksWhetherToUpdateTheList) {
  std::vector<MessageSpec> many;
  for (int n = 1; n <= 1200; ++n)
    many.push_back(Msg(n, "柚子"));
  Load(many);
  Run({QStringLiteral("蜜柑")});  // no hit: the list stays empty
  for (const ModalResult answer : {ModalResult::No, ModalResult::Yes}) {
    SCOPED_TRACE(static_cast<int>(answer));
    Boxes.Shown.clear();
    Boxes.Answers = {answer};
    CancelNextProgress();
    Run({QStringLiteral("柚子")});
    // The search stopped at its first progress point, after 512 messages.
    const ShownBox& question = Boxes.Shown.at(0);
    EXPECT_EQ(question.Text, QStringLiteral("リストを更新しますか？"));
    EXPECT_EQ(question.Caption,
              QStringLiteral("検索は中断されています（512 個の発言がヒットしました）"));
    EXPECT_EQ(question.Buttons, MsgButtons::YesNo);
    EXPECT_EQ(question.DefaultResult, ModalResult::No);
    EXPECT_EQ(Search->Results().size(), answer == ModalResult::Yes ? 512u : 0u);
    EXPECT_EQ(LastNotice(),
              QStringLiteral("512 個の発言がヒットしました\r\n\r\n （中断しました）"));
  }
}

TEST_F(SearchFormTest, ColumnClickSortsAndCarriesTheSelectionAndFocus) {
  Load({Msg(1, "柚子"), Msg(2, "柚子"), Msg(3, "柚子"), Msg(4, "柚子")});
  Run({QStringLiteral("柚子")});
  SelectRows({0, 2});
  List()->selectionModel()->setCurrentIndex(List()->model()->index(2, 0),
                                            QItemSelectionModel::NoUpdate);
  QHeaderView* header = List()->horizontalHeader();
  const QPoint number(header->sectionViewportPosition(1) + 5, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, number);  // ascending
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, number);  // descending
  EXPECT_EQ(Numbers(), (std::vector<int>{4, 3, 2, 1}));
  std::vector<int> selected;
  for (const QModelIndex& r : List()->selectionModel()->selectedRows())
    selected.push_back(Search->Results()[static_cast<std::size_t>(r.row())]->Number);
  std::sort(selected.begin(), selected.end());
  EXPECT_EQ(selected, (std::vector<int>{1, 3}));
  EXPECT_EQ(Search->Results()[static_cast<std::size_t>(List()->currentIndex().row())]->Number, 3);
  // A new search keeps the sort state: after an ascending click the same column descends.
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, number);
  Run({QStringLiteral("柚子")});
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, number);
  EXPECT_EQ(Numbers(), (std::vector<int>{4, 3, 2, 1}));
}

TEST_F(SearchFormTest, CopyPutsTheSelectedMessagesOnTheClipboardAndCancelLeavesIt) {
  Load({Msg(1, "柚子 一"), Msg(2, "柚子 二"), Msg(3, "柚子 三")});
  Run({QStringLiteral("柚子")});
  SelectRows({2, 0});
  QGuiApplication::clipboard()->setText(QStringLiteral("before"));
  CancelNextProgress();
  Key(List(), Qt::Key_C);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
  EXPECT_EQ(Boxes.Shown.back().Text, QStringLiteral("中断しました"));

  Key(List(), Qt::Key_C);
  const std::string expected = std::string(Search->Results()[0]->Text()) + "\r\n" +
                               std::string(Search->Results()[2]->Text()) + "\r\n";
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(Cp932ToUtf8(expected)));
}

TEST_F(SearchFormTest, MenuAndCtrlKeysFollowTheSelection) {
  Load({Msg(1, "柚子"), Msg(2, "柚子")});
  Run({QStringLiteral("柚子")});
  // Copy, save, select all: what the pop-up menu offers as it opens.
  auto offered = [&] {
    emit Named<QMenu>("PopupMenu1")->aboutToShow();
    std::vector<bool> items;
    for (const char* name : {"CopyResultMenu", "SaveResultMenu", "SelectAllMenu"})
      items.push_back(Named<QAction>(name)->isEnabled());
    return items;
  };
  List()->selectionModel()->clear();
  EXPECT_EQ(offered(), (std::vector<bool>{false, false, true}));
  Key(List(), Qt::Key_S);  // nothing selected: no save dialog
  EXPECT_EQ(Boxes.Count(ShownBox::SaveFile), 0);
  Key(List(), Qt::Key_A);
  EXPECT_EQ(List()->selectionModel()->selectedRows().size(), 2);
  EXPECT_EQ(offered(), (std::vector<bool>{true, true, false}));
  Key(List(), Qt::Key_S);  // everything selected: saving still works
  EXPECT_EQ(Boxes.Count(ShownBox::SaveFile), 1);
}

TEST_F(SearchFormTest, SaveAsksAboutAnExistingFileAndEachAnswerDoesWhatItSays) {
  Load({Msg(1, "柚子 一"), Msg(2, "柚子 二")});
  Run({QStringLiteral("柚子")});
  SelectRows({0, 1});
  const std::string one = std::string(Search->Results()[0]->Text()) + "\r\n" +
                          std::string(Search->Results()[1]->Text()) + "\r\n";
  const QString fresh = QString::fromStdString(Dir.File("fresh.txt"));
  const std::string existing = Dir.Write("old.txt", "old\r\n");
  const QString old = QString::fromStdString(existing);
  auto answer = [](ModalResult r) { return [r](QDialog&) { return r; }; };
  auto save = [&] {
    Boxes.Shown.clear();
    Key(List(), Qt::Key_S);
  };

  // A new file: written, then the open question, No by default the first time.
  Boxes.SaveFiles = {fresh};
  Boxes.Answers = {ModalResult::Yes};
  save();
  EXPECT_EQ(ReadFileBytes(fresh.toStdString()), one);
  EXPECT_EQ(Boxes.Shown.back().Text, QStringLiteral("ファイルを開きますか？"));
  EXPECT_EQ(Boxes.Shown.back().Caption, QStringLiteral("fresh.txt"));
  EXPECT_EQ(Boxes.Shown.back().DefaultResult, ModalResult::No);
  EXPECT_EQ(Opened, (std::vector<QString>{fresh}));
  // A file no program opens is named in a box, not passed over in silence.
  OpenerTakes = false;
  Boxes.SaveFiles = {QString::fromStdString(Dir.File("unopened.txt"))};
  Boxes.Answers = {ModalResult::Yes};
  save();
  EXPECT_TRUE(Boxes.Shown.back().Text.contains(QStringLiteral("unopened.txt")));
  OpenerTakes = true;
  Opened.clear();

  // Overwrite: replaced whole; after a Yes the question defaults to Yes.
  Boxes.SaveFiles = {old};
  Boxes.DialogAnswers = {answer(ModalResult::Ok)};
  Boxes.Answers = {ModalResult::No};
  save();
  EXPECT_EQ(ReadFileBytes(existing), one);
  EXPECT_EQ(Boxes.Shown.at(1).Caption, QStringLiteral("ファイルにリストの発言を書き出す"));
  EXPECT_EQ(Boxes.Shown.back().DefaultResult, ModalResult::Yes);

  // Append: added at the end, nothing asked afterwards.
  Boxes.SaveFiles = {old};
  Boxes.DialogAnswers = {answer(ModalResult::Yes)};
  save();
  EXPECT_EQ(ReadFileBytes(existing), one + one);
  EXPECT_EQ(Boxes.Shown.back().Type, ShownBox::Dialog);

  // Back: the save dialog again; Cancel: nothing happens.
  Boxes.SaveFiles = {old, old};
  Boxes.DialogAnswers = {answer(ModalResult::No), answer(ModalResult::Cancel)};
  save();
  EXPECT_EQ(Boxes.Count(ShownBox::SaveFile), 2);
  EXPECT_EQ(Boxes.Count(ShownBox::Dialog), 2);
  EXPECT_EQ(ReadFileBytes(existing), one + one);
  EXPECT_TRUE(Opened.empty());
}

TEST_F(SearchFormTest, FailingSaveReportsItAndLeavesTheOldFileIntact) {
  Load({Msg(1, "柚子" + std::string(3000, 'x'))});
  Run({QStringLiteral("柚子")});
  SelectRows({0});
  const std::string path = Dir.Write("old.txt", "old content\r\n");
  // Writes beyond 1 kB fail, for root as for anyone.
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  for (const ModalResult mode : {ModalResult::Ok, ModalResult::Yes}) {  // replace, append
    Boxes.Shown.clear();
    Boxes.SaveFiles = {QString::fromStdString(path)};
    Boxes.DialogAnswers = {[mode](QDialog&) { return mode; }};
    Key(List(), Qt::Key_S);
    EXPECT_EQ(Boxes.Shown.back().Caption, QStringLiteral("エラー"));
    EXPECT_TRUE(Boxes.Shown.back().Text.contains(QString::fromStdString(path)));
    EXPECT_EQ(ReadFileBytes(path), "old content\r\n");
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 2);
  EXPECT_TRUE(Opened.empty());
}

TEST_F(SearchFormTest, SettingsRoundTripAndAMissingFileGivesTheDefaults) {
  const std::string d = Dir.Path().string() + "/";
  Search->hide();
  Search->LoadSearchSettings(d);
  EXPECT_EQ(Search->size(), QSize(403, 468));
  EXPECT_FALSE(Search->isVisible());
  EXPECT_FALSE(Search->StayOnTop());
  EXPECT_TRUE(Box("IgnoreCase")->isChecked());
  EXPECT_FALSE(Action(*Main, "Search1")->isChecked());
  EXPECT_FALSE(Action(*Main, "ActionSearchStayOnTop")->isChecked());

  Dir.Write("Form2.INI",
            "[Window]\r\nLeft=40\r\nTop=30\r\nWidth=420\r\nHeight=500\r\nFormStyle=3\r\n"
            "Visible=1\r\nIgnoreCase=0\r\nEnhanced=1\r\nIgnoreCode=2\r\nIncludeHeader=1\r\n");
  Search->LoadSearchSettings(d);
  EXPECT_EQ(Search->geometry(), QRect(40, 30, 420, 500));
  EXPECT_TRUE(Search->isVisible());
  EXPECT_TRUE(Search->StayOnTop());
  EXPECT_TRUE(Action(*Main, "Search1")->isChecked());
  EXPECT_TRUE(Action(*Main, "ActionSearchStayOnTop")->isChecked());
  EXPECT_FALSE(Box("IgnoreCase")->isChecked());
  EXPECT_TRUE(Box("Enhanced")->isChecked());
  EXPECT_EQ(Named<QComboBox>("IgnoreCode")->currentIndex(), 2);
  EXPECT_EQ(Named<QGroupBox>("GroupBox1")->title(),
            QStringLiteral("発言（ヘッダ＋本文）中のキーワード"));

  // What the window holds goes back to the file as it came.
  const SearchSettings loaded = ReadSearchSettings(d, {});
  std::filesystem::remove(d + "Form2.INI");
  ASSERT_TRUE(Search->SaveSearchSettings(d));
  EXPECT_EQ(ReadSearchSettings(d, {}), loaded);
}

TEST_F(SearchFormTest, AbsurdOrUnreadableSettingsNeitherHurtTheWindowNorGetWrittenOver) {
  // A window far larger than any screen and far off it is placed wholly on the desktop.
  const std::string d = Dir.Path().string() + "/";
  const QRect desk = QGuiApplication::primaryScreen()->availableVirtualGeometry();
  Dir.Write("Form2.INI",
            "[Window]\r\nLeft=2147483000\r\nTop=-5\r\nWidth=100000\r\n"
            "Height=2147483647\r\n");
  Search->LoadSearchSettings(d);
  EXPECT_TRUE(desk.contains(Search->geometry())) << Search->x() << "," << Search->y();
  EXPECT_TRUE(Boxes.Shown.empty());

  // A folder where the file should be: told at start, told again and left alone at the end.
  std::filesystem::remove(d + "Form2.INI");
  std::filesystem::create_directory(d + "Form2.INI");
  Search->LoadSearchSettings(d);
  ASSERT_EQ(Boxes.Count(ShownBox::Message), 1);
  EXPECT_TRUE(Boxes.Shown.back().Text.contains(QStringLiteral("Form2.INI")));
  EXPECT_FALSE(Search->SaveSearchSettings(d));
  ASSERT_EQ(Boxes.Count(ShownBox::Message), 2);
  EXPECT_TRUE(Boxes.Shown.back().Text.contains(QStringLiteral("Form2.INI")));
  EXPECT_TRUE(std::filesystem::is_directory(d + "Form2.INI"));
}

TEST_F(SearchFormTest, SearchCommandAndStayOnTopFollowTheFormStyle) {
  QAction* command = Action(*Main, "ActionSearch");
  QAction* item = Action(*Main, "Search1");
  ASSERT_TRUE(command->isEnabled());
  EXPECT_TRUE(item->isChecked());  // shown by the fixture
  command->trigger();              // normal style: the command brings it up, never hides it
  EXPECT_TRUE(Search->isVisible());
  Search->hide();
  EXPECT_FALSE(item->isChecked());
  item->trigger();
  EXPECT_TRUE(Search->isVisible());
  EXPECT_TRUE(item->isChecked());

  Action(*Main, "ActionSearchStayOnTop")->trigger();
  EXPECT_TRUE(Search->StayOnTop());
  EXPECT_TRUE(Search->isVisible());
  command->trigger();  // in front of everything: the command toggles it
  EXPECT_FALSE(Search->isVisible());
  EXPECT_FALSE(item->isChecked());
  command->trigger();
  EXPECT_TRUE(Search->isVisible());
  Action(*Main, "ActionSearchStayOnTop")->trigger();
  EXPECT_FALSE(Search->StayOnTop());
}

TEST_F(SearchFormTest, ThePanelFitsTheDesignSizeWithoutScrolling) {
  Search->resize(403, 468);
  QApplication::processEvents();
  auto* box = Named<QScrollArea>("ScrollBox1");
  const QSize needed = box->widget()->minimumSizeHint();
  EXPECT_LE(needed.width(), box->viewport()->width());
  EXPECT_LE(needed.height(), box->viewport()->height());
  EXPECT_FALSE(box->verticalScrollBar()->isVisible());
  EXPECT_FALSE(box->horizontalScrollBar()->isVisible());
}

TEST_F(SearchFormTest, ClosingTheMainWindowEndsTheRunWithTheSearchWindowStillShown) {
  // As the program runs: the main window ends the run itself.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  Main->OnExit = [] { QCoreApplication::exit(0); };
  Boxes.Answers = {ModalResult::Ok};  // "終了しますか？"
  QTimer::singleShot(0, Main.get(), [this] { Main->close(); });
  QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });  // it did not end
  EXPECT_EQ(QApplication::exec(), 0);
  QGuiApplication::setQuitOnLastWindowClosed(true);
  // What the settings keep: the search window was shown when the run ended.
  EXPECT_TRUE(Search->isVisible());
  EXPECT_FALSE(Main->isVisible());
}

TEST_F(SearchFormTest, RollUpHidesThePanelAndTheListTakesItsPlace) {
  auto* roll = Named<QToolButton>("RollUpBtn");
  const int listHeight = List()->height();
  EXPECT_EQ(roll->toolTip(), QStringLiteral("検索条件のパネルを隠します"));
  roll->click();
  QApplication::processEvents();
  EXPECT_FALSE(Named<QScrollArea>("ScrollBox1")->isVisible());
  EXPECT_EQ(roll->toolTip(), QStringLiteral("検索条件のパネルを表示します"));
  EXPECT_GT(List()->height(), listHeight);
  roll->click();
  EXPECT_TRUE(Named<QScrollArea>("ScrollBox1")->isVisible());
}

// Choosing a row shows its message with the keywords in the key font, in either view, and the
// tree follows; a message the tree asks for has none. The browser view's page files go to a
// folder of the test.
TEST(ChosenRow, ShowsItsMessageWithItsHitsInThePageAndInTheRichText) {
  ScriptedDialogs boxes;
  TempDir dir;
  LogBuilder b;
  b.Add(Msg(1, "蜜柑")).Add(Msg(2, "柚子と胡椒と柚子")).Add(Msg(3, "柚子"));
  const std::string path = dir.Write("room12.LOG", b.Text());
  const std::string key = Sjis("柚子");
  for (const int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    setenv("TMPDIR", dir.Path().c_str(), 1);
    TMainForm main({"yuzulog", "ViewMode:" + std::to_string(mode)});
    unsetenv("TMPDIR");
    TSearchForm search(main.Space());
    main.SetSearchWindow(&search);
    main.show();
    main.LoadFileList({path}, false);
    search.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("柚子"));
    search.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    ASSERT_EQ(search.Results().size(), 2u);
    auto* list = search.findChild<QTableView*>(QStringLiteral("ListView1"));
    list->setCurrentIndex(list->model()->index(0, 0));  // message 2
    const TLogMessage* m = search.Results()[0];
    EXPECT_EQ(main.CurrentMessage(), m);
    ASSERT_TRUE(RunUntil([&] { return !main.ViewBusy(); }, 10000));
    auto* tree = main.findChild<QTreeView*>(QStringLiteral("TreeView1"));
    if (mode == 0) {
#ifdef YUZULOG_HAVE_WEBENGINE
      auto* web = main.findChild<QWebEngineView*>(QStringLiteral("FView"));
      const std::string page = ReadFileBytes(web->url().toLocalFile().toStdString());
      // Both occurrences in the key font; the tree shows the message selected.
      std::size_t spans = 0;
      for (std::size_t at = page.find("<span style='"); at != std::string::npos;
           at = page.find("<span style='", at + 1))
        spans += page.compare(page.find('>', at) + 1, key.size(), key) == 0;
      EXPECT_EQ(spans, 2u);
      EXPECT_EQ(MessageTreeModel::NodeOf(tree->currentIndex()), main.Space().Tree().NodeOf(*m));
#endif
    } else {
      auto* text = main.findChild<QTextEdit*>(QStringLiteral("FView"));
      const auto blueAt = [text](int position) {
        QTextCursor c(text->document());
        c.setPosition(position + 1);  // the format of the character before the cursor
        return c.charFormat().foreground().color() == QColor(0, 0, 255);
      };
      const QString shown = text->toPlainText();
      const int first = static_cast<int>(shown.indexOf(QStringLiteral("柚子")));
      const int last = static_cast<int>(shown.lastIndexOf(QStringLiteral("柚子")));
      ASSERT_GT(first, 0);
      EXPECT_TRUE(blueAt(first) && blueAt(first + 1) && blueAt(last) && blueAt(last + 1));
      EXPECT_FALSE(blueAt(first + 2));  // と
      // Asked for by the tree, the same message has no hits.
      main.Space().Show(m, ShowOrigin::Tree);
      ASSERT_TRUE(RunUntil([&] { return !main.ViewBusy(); }, 10000));
      EXPECT_FALSE(blueAt(first));
    }
  }
}

TEST(ResultList, TakesTheMainColourAndMessageFontUnlessInTheOldSystemsColours) {
  TempDir dir;
  dir.Write("Form1.INI", "[Window]\r\nColor=255\r\n[BaseFont]\r\nName=IPAGothic\r\nSize=20\r\n");
  for (const bool old : {false, true}) {
    SCOPED_TRACE(old);
    TMainForm main({"yuzulog", "ViewMode:1", old ? "OldSystem:1" : "OldSystem:0"});
    TSearchForm search(main.Space());
    main.SetSearchWindow(&search);
    auto* list = search.findChild<QTableView*>(QStringLiteral("ListView1"));
    const QFont before = list->font();
    main.LoadSettings(dir.Path().string() + "/");
    EXPECT_EQ(list->palette().color(QPalette::Base) == QColor(255, 0, 0), !old);
    EXPECT_EQ(list->font().pointSize() == 20, !old);
    EXPECT_EQ(list->font() == before, old);
  }
}

TEST(SearchKey, SearchesOnceTheGivenFilesHaveLoadedAndShowsTheFirstHit) {
  ScriptedDialogs boxes;
  TempDir dir;
  LogBuilder b;
  b.Add(Msg(1, "蜜柑")).Add(Msg(2, "柚子と胡椒")).Add(Msg(3, "柚子"));
  const std::string path = dir.Write("room12.LOG", b.Text());
  TMainForm main({"yuzulog", "ViewMode:1", path, "Search:柚子", "search:胡椒"});
  TSearchForm search(main.Space());
  main.SetSearchWindow(&search);
  main.show();
  ASSERT_TRUE(RunUntil([&] { return !search.Results().empty(); }, 5000));
  EXPECT_TRUE(search.isVisible());
  EXPECT_EQ(search.findChild<QLineEdit*>(QStringLiteral("Edit2"))->text(), QStringLiteral("胡椒"));
  ASSERT_EQ(search.Results().size(), 1u);
  EXPECT_EQ(main.CurrentMessage(), search.Results()[0]);
  EXPECT_EQ(main.Space().Shown().Origin, ShowOrigin::SearchHit);
}

}  // namespace
}  // namespace yuzulog
