// The view options and the commands that open the search window, the log list and the About box:
// what each changes, where the change reaches, and the redraw it asks for.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QMenu>
#include <QSignalSpy>
#include <QSplitter>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#ifdef YUZULOG_HAVE_WEBENGINE
#include <QWebEngineView>
#endif

#include "dialogs/aboutbox.h"
#include "dialogs/loglistform.h"
#include "dialogs/searchwindow.h"
#include "mainwindow/settings.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/tests/formparts.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::Action;
using testing::Child;
using testing::DataFile;
using testing::RunUntil;
using testing::ScriptedDialogs;
using testing::ShownBox;
using testing::TempDir;
using testing::Tree;
using testing::TreeModel;

std::unique_ptr<TMainForm> Form(std::vector<std::string> extra = {}) {
  auto f = testing::RichTextForm(std::move(extra));
  f->show();
  return f;
}

// Loads room 5's two files (answering the overlap warning with No) and selects a message.
void LoadRoom5(TMainForm& f, ScriptedDialogs& boxes) {
  boxes.Answers.push_back(ModalResult::No);
  f.LoadFileList({DataFile("room05a.LOG"), DataFile("room05b.LOG")}, false);
  const QModelIndex room = TreeModel(f).index(0, 0);
  Tree(f)->setCurrentIndex(TreeModel(f).index(1, 0, room));
  ASSERT_NE(f.CurrentMessage(), nullptr);
  ASSERT_EQ(f.Space().Shown().Origin, ShowOrigin::Tree);
}

// Waits until what was asked for has been drawn and, in the browser view, loaded.
void Settle(const TMainForm& f) {
  ASSERT_TRUE(RunUntil([&f] { return !f.ViewBusy(); }, 10000));
}

MainSettings Saved(TMainForm& f) {
  TempDir dir;
  const std::string d = dir.Path().string() + "/";
  EXPECT_TRUE(f.SaveSettings(d));
  return ReadMainSettings(d, {});
}

// The search window as the main window sees it, recording what its result list was given.
class FakeSearchWindow final : public SearchWindow {
 public:
  QWidget& Window() override { return FWindow; }
  void SetResultListColor(const QColor& color) override { ListColor = color; }
  void SetResultListFont(const QFont& font) override { ListFont = font; }
  bool StayOnTop() const override { return false; }
  void SetStayOnTop(bool) override {}
  void SearchFor(const std::vector<QString>&) override {}
  QColor ListColor;
  QFont ListFont;

 private:
  QWidget FWindow;
};

QColor Base(const QWidget* w) {
  return w->palette().color(QPalette::Base);
}

TEST(ViewOptions, MessageFontReachesKeyFontAndTreeAndRedraws) {
  ScriptedDialogs boxes;
  auto f = Form();
  LoadRoom5(*f, boxes);
  const TLogMessage* shown = f->CurrentMessage();

  // Cancelled: nothing changes and nothing is asked to be drawn.
  boxes.DialogAnswers = {[](QDialog&) { return ModalResult::Cancel; }};
  Action(*f, "ActionFontSelect")->trigger();
  EXPECT_EQ(f->Space().Shown().Origin, ShowOrigin::Tree);
  EXPECT_EQ(Saved(*f).BaseFont, FontSpec{});

  boxes.DialogAnswers = {[](QDialog& d) {
    // Underline: the dialog keeps it for any face (the IPA fonts have no bold face to offer).
    QFont chosen(QStringLiteral("IPAGothic"), 14);
    chosen.setUnderline(true);
    static_cast<QFontDialog&>(d).setCurrentFont(chosen);
    return ModalResult::Ok;
  }};
  Action(*f, "ActionFontSelect")->trigger();
  const MainSettings s = Saved(*f);
  EXPECT_EQ(s.BaseFont, (FontSpec{"IPAGothic", 14, kClBlack, kFsUnderline}));
  // The key font takes the face and size and keeps its blue and its style.
  EXPECT_EQ(s.KeyFont, (FontSpec{"IPAGothic", 14, kClBlue, 0}));
  EXPECT_EQ(f->Space().Shown().Origin, ShowOrigin::Restyle);
  EXPECT_EQ(f->CurrentMessage(), shown);
  EXPECT_EQ(Tree(*f)->font().family(), QStringLiteral("IPAGothic"));
  EXPECT_TRUE(Tree(*f)->font().underline());
}

TEST(ViewOptions, DesignFontKeepsItsNameWhenOnlyTheSizeChanges) {
  ScriptedDialogs boxes;
  auto f = Form();
  boxes.DialogAnswers = {[](QDialog& d) {
    auto& fonts = static_cast<QFontDialog&>(d);
    QFont bigger = fonts.currentFont();
    bigger.setPointSize(12);
    fonts.setCurrentFont(bigger);
    return ModalResult::Ok;
  }};
  Action(*f, "ActionFontSelect")->trigger();
  EXPECT_EQ(Saved(*f).BaseFont, (FontSpec{kDesignFontName, 12, kClBlack, 0}));
}

TEST(ViewOptions, OldSystemGivesTheTreeAChosenFontInTheSystemTextColour) {
  ScriptedDialogs boxes;
  TempDir settings;
  settings.Write("Form1.INI", "[BaseFont]\r\nName=IPAMincho\r\nColor=255\r\n");
  auto f = Form({"OldSystem:1"});
  f->LoadSettings(settings.Path().string() + "/");
  // The stored font does not reach the tree at start; a chosen one does.
  EXPECT_NE(Tree(*f)->font().family(), QStringLiteral("IPAMincho"));
  boxes.DialogAnswers = {[](QDialog& d) {
    static_cast<QFontDialog&>(d).setCurrentFont(QFont(QStringLiteral("IPAGothic"), 11));
    return ModalResult::Ok;
  }};
  Action(*f, "ActionFontSelect")->trigger();
  EXPECT_EQ(Tree(*f)->font().family(), QStringLiteral("IPAGothic"));
  EXPECT_EQ(Tree(*f)->palette().color(QPalette::Text),
            QApplication::palette().color(QPalette::Text));
}

TEST(ViewOptions, ResultListFollowsTheFontAlwaysAndTheColourUnlessOldSystem) {
  for (const bool old : {false, true}) {
    SCOPED_TRACE(old ? "old system" : "normal");
    ScriptedDialogs boxes;
    auto f = Form({old ? "OldSystem:1" : "OldSystem:0"});
    FakeSearchWindow search;
    f->SetSearchWindow(&search);
    search.ListColor = QColor();
    boxes.DialogAnswers = {
        [](QDialog& d) {
          static_cast<QFontDialog&>(d).setCurrentFont(QFont(QStringLiteral("IPAGothic"), 13));
          return ModalResult::Ok;
        },
        [](QDialog& d) {
          static_cast<QColorDialog&>(d).setCurrentColor(QColor(1, 2, 3));
          return ModalResult::Ok;
        }};
    Action(*f, "ActionFontSelect")->trigger();
    Child<QAction>(*f, "BkColor")->trigger();
    EXPECT_EQ(search.ListFont.family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(search.ListFont.pointSize(), 13);
    EXPECT_EQ(search.ListColor, old ? QColor() : QColor(1, 2, 3));
    f->SetSearchWindow(nullptr);
  }
}

TEST(ViewOptions, KeyFontChangesOnlyTheKeyFontAndRedrawsNothing) {
  ScriptedDialogs boxes;
  auto f = Form();
  LoadRoom5(*f, boxes);
  boxes.DialogAnswers = {[](QDialog& d) {
    QFont chosen(QStringLiteral("IPAMincho"), 10);
    chosen.setUnderline(true);
    static_cast<QFontDialog&>(d).setCurrentFont(chosen);
    return ModalResult::Ok;
  }};
  Action(*f, "ActionKeyFontSelect")->trigger();
  const MainSettings s = Saved(*f);
  EXPECT_EQ(s.KeyFont, (FontSpec{"IPAMincho", 10, kClBlue, kFsUnderline}));
  EXPECT_EQ(s.BaseFont, FontSpec{});
  EXPECT_EQ(f->Space().Shown().Origin, ShowOrigin::Tree);
}

TEST(ViewOptions, BackgroundColourReachesViewAndTreeUnlessOldSystem) {
  for (const bool old : {false, true}) {
    SCOPED_TRACE(old ? "old system" : "normal");
    ScriptedDialogs boxes;
    auto f = Form({old ? "OldSystem:1" : "OldSystem:0"});
    const QColor before = Base(Tree(*f));

    boxes.DialogAnswers = {[](QDialog&) { return ModalResult::Cancel; }};
    Child<QAction>(*f, "BkColor")->trigger();
    EXPECT_EQ(Saved(*f).Color, kClWindow);

    const QColor chosen(10, 20, 30);
    boxes.DialogAnswers = {[&](QDialog& d) {
      static_cast<QColorDialog&>(d).setCurrentColor(chosen);
      return ModalResult::Ok;
    }};
    Child<QAction>(*f, "BkColor")->trigger();
    EXPECT_EQ(Saved(*f).Color, 0x1E140A);
    EXPECT_EQ(Base(Child<QTextEdit>(*f, "FView")), chosen);
    EXPECT_EQ(Base(Tree(*f)), old ? before : chosen);
  }
}

TEST(ViewOptions, WordWrapTicksAndRedrawsTheCurrentMessage) {
  ScriptedDialogs boxes;
  auto f = Form();
  LoadRoom5(*f, boxes);
  Settle(*f);
  const TLogMessage* shown = f->CurrentMessage();
  auto* view = Child<QTextEdit>(*f, "FView");
  ASSERT_EQ(view->lineWrapMode(), QTextEdit::NoWrap);
  QSignalSpy drawn(f.get(), &TMainForm::ViewDrawn);
  Action(*f, "ActionWordWrap")->trigger();
  EXPECT_TRUE(Action(*f, "ActionWordWrap")->isChecked());
  EXPECT_EQ(f->Space().Shown().Origin, ShowOrigin::Restyle);
  EXPECT_EQ(f->CurrentMessage(), shown);
  Settle(*f);
  EXPECT_EQ(drawn.count(), 1);
  EXPECT_EQ(view->lineWrapMode(), QTextEdit::WidgetWidth);
  EXPECT_TRUE(Saved(*f).WordWrap);
}

#ifdef YUZULOG_HAVE_WEBENGINE
// The page file the browser view shows.
std::string ShownPage(const TMainForm& f) {
  const auto* web = Child<QWebEngineView>(f, "FView");
  return testing::ReadFileBytes(web->url().toLocalFile().toStdString());
}

TEST(ViewOptions, BrowserViewDrawsTheNewFontAfterThePauseAndTheNewColourAtOnce) {
  ScriptedDialogs boxes;
  auto f = std::make_unique<TMainForm>(std::vector<std::string>{"yuzulog", "ViewMode:0"});
  f->show();
  LoadRoom5(*f, boxes);
  Settle(*f);
  const auto* web = Child<QWebEngineView>(*f, "FView");
  const QUrl before = web->url();

  boxes.DialogAnswers = {[](QDialog& d) {
    static_cast<QFontDialog&>(d).setCurrentFont(QFont(QStringLiteral("IPAMincho"), 15));
    return ModalResult::Ok;
  }};
  Action(*f, "ActionFontSelect")->trigger();
  EXPECT_EQ(web->url(), before);  // asked for, not drawn yet
  EXPECT_TRUE(f->ViewBusy());
  Settle(*f);
  EXPECT_NE(web->url(), before);
  EXPECT_NE(ShownPage(*f).find("IPAMincho"), std::string::npos);
  EXPECT_NE(ShownPage(*f).find("15"), std::string::npos);

  const QUrl afterFont = web->url();
  boxes.DialogAnswers = {[](QDialog& d) {
    static_cast<QColorDialog&>(d).setCurrentColor(QColor(0x12, 0x34, 0x56));
    return ModalResult::Ok;
  }};
  f->Space().Show(f->CurrentMessage(), ShowOrigin::Tree);
  Settle(*f);
  const QUrl beforeColour = web->url();
  Child<QAction>(*f, "BkColor")->trigger();
  // Drawn at once, for the same requester.
  EXPECT_NE(web->url(), beforeColour);
  EXPECT_NE(web->url(), afterFont);
  EXPECT_EQ(f->Space().Shown().Origin, ShowOrigin::Tree);
  EXPECT_NE(QString::fromStdString(ShownPage(*f))
                .indexOf(QStringLiteral("123456"), 0, Qt::CaseInsensitive),
            -1);
}
#endif

TEST(ViewOptions, SplitBothWaysAndBackWithAThirdOfTheSpace) {
  auto f = Form();
  f->resize(696, 480);
  QApplication::processEvents();
  auto* splitter = Child<QSplitter>(*f, "Splitter1");
  const int width = splitter->width();
  const int height = splitter->height();
  ASSERT_GT(height, 300);

  // From the tool button: the tree goes to the top with a third of its former height.
  Child<QToolButton>(*f, "ToolBtnSplit")->click();
  QApplication::processEvents();
  EXPECT_EQ(splitter->orientation(), Qt::Vertical);
  EXPECT_EQ(splitter->sizes().value(0), height / 3);
  EXPECT_EQ(Tree(*f)->height(), height / 3);
  EXPECT_EQ(Action(*f, "MenuSplit")->text(), QStringLiteral("縦に分割する(&V)"));
  EXPECT_FALSE(Saved(*f).SplitVert);
  EXPECT_EQ(Saved(*f).SplitWidth, height / 3);

  // From the menu: back to the left with a third of the width.
  Action(*f, "MenuSplit")->trigger();
  QApplication::processEvents();
  EXPECT_EQ(splitter->orientation(), Qt::Horizontal);
  EXPECT_EQ(Tree(*f)->width(), width / 3);
  EXPECT_EQ(Action(*f, "MenuSplit")->text(), QStringLiteral("横に分割する(&H)"));
}

TEST(ViewOptions, SplitSettingBeforeTheFirstShowGivesTheTreeAThird) {
  TempDir dir;
  dir.Write("Form1.INI", "[Window]\r\nSplitVert=0\r\n");
  TMainForm f({"yuzulog", "ViewMode:1"});
  f.LoadSettings(dir.Path().string() + "/");
  f.show();
  QApplication::processEvents();
  const auto* splitter = Child<QSplitter>(f, "Splitter1");
  ASSERT_EQ(splitter->orientation(), Qt::Vertical);
  // A third, give or take what the first layout of the window moved.
  EXPECT_NEAR(Tree(f)->height(), splitter->height() / 3, splitter->height() / 10);
}

TEST(LogListCommand, ListsTheLoadedFilesAndRemovesTheChosenOne) {
  ScriptedDialogs boxes;
  auto f = Form();
  boxes.Answers = {ModalResult::No};
  f->LoadFileList({DataFile("room05a.LOG"), DataFile("room05b.LOG"), DataFile("room12.lzh")},
                  false);
  ASSERT_EQ(f->Files().Count(), 3);
  const TLogData* kept = &f->Files()[0];
  QStringList rows;
  boxes.Answers = {ModalResult::Yes};
  boxes.DialogAnswers = {[&](QDialog& d) {
    auto* list = d.findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      rows << list->topLevelItem(i)->text(0);
    list->topLevelItem(1)->setSelected(true);
    d.findChild<QAction*>(QStringLiteral("MenuDelete"))->trigger();
    return ModalResult::Ok;
  }};
  Action(*f, "ActionLogData")->trigger();
  EXPECT_EQ(rows, (QStringList{"room05a.LOG", "room05b.LOG", "room12.lzh"}));
  ASSERT_EQ(f->Files().Count(), 2);
  EXPECT_EQ(&f->Files()[0], kept);
  EXPECT_EQ(f->Files()[1].Room, 12);
  EXPECT_EQ(TreeModel(*f).rowCount(), 2);
}

TEST(LogListCommand, OverlapWarningsYesOpensTheListOnceTheProgressWindowHasClosed) {
  ScriptedDialogs boxes;
  auto f = Form();
  QWidget* modalWhenOpened = f.get();
  boxes.Answers = {ModalResult::Yes};
  boxes.DialogAnswers = {[&](QDialog& d) {
    modalWhenOpened = QApplication::activeModalWidget();
    EXPECT_NE(qobject_cast<TLogListForm*>(&d), nullptr);
    return ModalResult::Ok;
  }};
  f->LoadFileList({DataFile("room05a.LOG"), DataFile("room05b.LOG")}, false);
  ASSERT_EQ(boxes.Count(ShownBox::Dialog), 1);
  EXPECT_EQ(boxes.Shown.back().Caption, QStringLiteral("ログデータのリスト"));
  EXPECT_EQ(modalWhenOpened, nullptr);
}

TEST(Commands, NoCommandIsDisabledForWantOfCode) {
  auto f = Form();
  // What waits for something: copying for a drawn message, registering and removing sets for
  // loaded files and sets (their menu decides when it opens), export and statistics for the
  // windows the program hands over.
  const QStringList waiting = {"ActionCopyCurrentMsg", "AddLogSetMenu", "RemoveLogSetMenu",
                               "ActionExport", "ActionStats"};
  const auto disabled = [&] {
    QStringList names;
    for (QAction* a : f->findChildren<QAction*>())
      if (a->parent() == f.get() && !a->isEnabled() && !waiting.contains(a->objectName()))
        names << a->objectName();
    return names;
  };
  // The search commands wait for the search window, which connects itself.
  for (const QString& name : disabled()) {
    EXPECT_TRUE(name.startsWith(QStringLiteral("ActionSearch")) ||
                name == QStringLiteral("Search1"))
        << name.toStdString();
  }
  EXPECT_TRUE(Child<QToolButton>(*f, "ToolBtnSplit")->isEnabled());
}

TEST(AboutCommand, ShowsTheAboutBox) {
  ScriptedDialogs boxes;
  auto f = Form();
  bool about = false;
  boxes.DialogAnswers = {[&](QDialog& d) {
    about = qobject_cast<TAboutBox*>(&d) != nullptr;
    return ModalResult::Ok;
  }};
  Action(*f, "ActionAbout")->trigger();
  EXPECT_TRUE(about);
}

}  // namespace
}  // namespace yuzulog
