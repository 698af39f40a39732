#include "mainwindow/ui/mainform.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "mainwindow/settings.h"
#include "mainwindow/ui/glyphs.h"
#include "mainwindow/ui/tests/formparts.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

using testing::Action;
using testing::Child;
using testing::ScriptedDialogs;
using testing::StatusText;
using testing::Tree;

std::unique_ptr<TMainForm> Form(std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"/usr/bin/yuzulog", "ViewMode:1"};
  args.insert(args.end(), extra.begin(), extra.end());
  return std::make_unique<TMainForm>(args);
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The actions shown in menus (submenus included) and on tool bars.
std::set<QAction*> ShownActions(const TMainForm& f) {
  std::set<QAction*> shown;
  for (const QMenu* m : f.findChildren<QMenu*>())
    for (QAction* a : m->actions())
      if (!a->isSeparator()) shown.insert(a);
  for (const QToolBar* t : f.findChildren<QToolBar*>())
    for (QAction* a : t->actions())
      if (!a->isSeparator()) shown.insert(a);
  return shown;
}

// The menus a person reaches from the menu-bar buttons, submenus and drop-down buttons included.
std::set<QMenu*> MenusReachedFromTheMenuBar(const TMainForm& f) {
  std::set<QMenu*> reached;
  std::vector<QMenu*> open;
  for (QToolButton* b : Child<QToolBar>(f, "ToolBarMenu")->findChildren<QToolButton*>())
    if (b->menu()) open.push_back(b->menu());
  while (!open.empty()) {
    QMenu* m = open.back();
    open.pop_back();
    if (!reached.insert(m).second) continue;
    for (QAction* a : m->actions())
      if (a->menu()) open.push_back(a->menu());
  }
  return reached;
}

TEST(MainForm, StartsEmptyWithTheRichTextViewForViewModeOne) {
  auto f = Form();
  EXPECT_EQ(f->windowTitle(), QStringLiteral("YUZUBANの過去ログを見る"));
  EXPECT_EQ(Tree(*f)->model()->rowCount(), 0);
  EXPECT_EQ(StatusText(*f), QString());
  auto* view = Child<QTextEdit>(*f, "FView");
  EXPECT_TRUE(view->isReadOnly());
  EXPECT_TRUE(Tree(*f)->uniformRowHeights());
}

TEST(MainForm, EveryCommandIsReachableLabelledAndHasItsOwnShortcut) {
  auto f = Form();
  const std::set<QAction*> shown = ShownActions(*f);
  std::set<QKeySequence> shortcuts;
  for (QAction* a : f->findChildren<QAction*>()) {
    if (a->isSeparator() || a->menu() || a->parent() != f.get()) continue;
    SCOPED_TRACE(a->objectName().toStdString());
    if (!a->text().isEmpty() || !a->icon().isNull()) {
      EXPECT_TRUE(shown.count(a)) << "a labelled command in no menu and on no tool bar";
    } else {
      // An unlabelled command is shown nowhere and reached by its shortcut alone.
      EXPECT_FALSE(shown.count(a));
      EXPECT_FALSE(a->shortcut().isEmpty());
    }
    if (!a->shortcut().isEmpty()) {
      EXPECT_TRUE(shortcuts.insert(a->shortcut()).second) << "shortcut used twice";
      // Shortcuts work while any part of the window has the focus.
      EXPECT_TRUE(f->actions().contains(a));
    }
  }
  EXPECT_FALSE(shortcuts.empty());
  // A command on a tool bar shows its hint, or its caption, as a tool tip.
  for (QToolBar* t : f->findChildren<QToolBar*>())
    for (QAction* a : t->actions())
      if (a->parent() == f.get()) {
        EXPECT_FALSE(a->toolTip().isEmpty()) << a->objectName().toStdString();
      }
}

TEST(MainForm, EveryMenuDropsDownFromTheMenuBarOrIsAContextMenu) {
  auto f = Form();
  for (QToolButton* b : Child<QToolBar>(*f, "ToolBarMenu")->findChildren<QToolButton*>())
    if (b->menu()) {
      EXPECT_EQ(b->popupMode(), QToolButton::InstantPopup);
    }
  const std::set<QMenu*> reached = MenusReachedFromTheMenuBar(*f);
  for (QMenu* m : f->findChildren<QMenu*>()) {
    if (m->objectName() == QStringLiteral("PopupMenuTreeView")) continue;  // the tree's own
    EXPECT_TRUE(reached.count(m)) << m->objectName().toStdString();
  }
  // The tool bars' context menu is also the View menu's submenu.
  EXPECT_TRUE(reached.count(Child<QMenu>(*f, "PopupMenuCtrlBar")));
}

TEST(MainForm, ToolBarItemsHideAndShowTheirToolBars) {
  auto f = Form();
  f->show();
  for (const auto& [item, bar] :
       {std::pair{"File_Tool_Menu", "ToolBar1"}, std::pair{"View_Help_Menu", "ToolBar2"}}) {
    SCOPED_TRACE(item);
    Action(*f, item)->trigger();
    EXPECT_FALSE(Child<QToolBar>(*f, bar)->isVisible());
    EXPECT_FALSE(Action(*f, item)->isChecked());
    Action(*f, item)->trigger();
    EXPECT_TRUE(Child<QToolBar>(*f, bar)->isVisible());
  }
}

TEST(MainForm, CommandLineKeysChooseTheView) {
  EXPECT_NE(Form({"viewmode:1"})->findChild<QTextEdit*>(QStringLiteral("FView")), nullptr);
  // Argument 0 comes first: the test's own "ViewMode:1" wins over later ones.
  EXPECT_NE(Form({"ViewMode:0"})->findChild<QTextEdit*>(QStringLiteral("FView")), nullptr);
  auto f = Form({"LogSet:\"a b\""});
  EXPECT_EQ(f->GetParamValue("logset:"), "\"a b\"");
}

#ifdef YUZULOG_HAVE_WEBENGINE
TEST(MainForm, ViewModeThatIsNotANumberGivesTheBrowserView) {
  TMainForm f({"/usr/bin/yuzulog", "VIEWMODE:abc"});
  EXPECT_EQ(Child<QWidget>(f, "FView")->metaObject()->className(), QByteArray("QWebEngineView"));
}
#endif

TEST(MainForm, EmptySettingsFolderGivesTheDefaults) {
  testing::TempDir dir;
  const std::string d = dir.Path().string() + "/";
  auto f = Form();
  f->LoadSettings(d);
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(f->geometry().size(), QSize(696, 480));
  EXPECT_EQ(f->geometry().left(), avail.left() + (avail.width() - 696) / 2);
  EXPECT_EQ(Child<QSplitter>(*f, "Splitter1")->orientation(), Qt::Horizontal);
  EXPECT_FALSE(Action(*f, "ActionWordWrap")->isChecked());
  EXPECT_EQ(Tree(*f)->palette().color(QPalette::Base),
            QApplication::palette().color(QPalette::Base));
  // Written even though nothing was loaded; the key font is the message font in blue.
  EXPECT_TRUE(f->SaveSettings(d));
  const MainSettings saved = ReadMainSettings(d, {});
  EXPECT_EQ(saved.Color, kClWindow);
  EXPECT_EQ(saved.BaseFont, FontSpec{});
  FontSpec blue;
  blue.Color = kClBlue;
  EXPECT_EQ(saved.KeyFont, blue);
  EXPECT_EQ(FileText(d + "Recent.INI"), "\xEF\xBB\xBF");
  EXPECT_EQ(FileText(d + "LogSet.INI"), "\xEF\xBB\xBF");
}

TEST(MainForm, SettingsTakeEffectAndRoundTrip) {
  testing::TempDir first, second, third;
  first.Write("Form1.INI",
              "[Window]\r\nWindowState=2\r\nLeft=30\r\nTop=40\r\nRight=630\r\nBottom=440\r\n"
              "SplitVert=0\r\nSplitWidth=120\r\nWordWrap=1\r\nColor=255\r\n"
              "[BaseFont]\r\nName=IPAGothic\r\nSize=11\r\nStyle=1\r\n");
  first.Write("Recent.INI", "/logs/a\r\n/logs/b\r\n");
  first.Write("LogSet.INI", "\"set\",\"/logs/a/x.lzh\"\r\n");
  auto f = Form();
  f->LoadSettings(first.Path().string() + "/");
  f->show();
  EXPECT_TRUE(f->isMaximized());
  EXPECT_EQ(f->normalGeometry(), QRect(30, 40, 600, 400));
  EXPECT_EQ(Child<QSplitter>(*f, "Splitter1")->orientation(), Qt::Vertical);
  EXPECT_TRUE(Action(*f, "ActionWordWrap")->isChecked());
  EXPECT_EQ(Tree(*f)->palette().color(QPalette::Base), QColor(255, 0, 0));
  EXPECT_EQ(Tree(*f)->font().family(), QStringLiteral("IPAGothic"));
  EXPECT_TRUE(Tree(*f)->font().bold());

  // What one run writes, the next reads back and writes again unchanged.
  const std::string d2 = second.Path().string() + "/";
  const std::string d3 = third.Path().string() + "/";
  ASSERT_TRUE(f->SaveSettings(d2));
  EXPECT_EQ(FileText(d2 + "Recent.INI"), "\xEF\xBB\xBF/logs/a\r\n/logs/b\r\n");
  auto g = Form();
  g->LoadSettings(d2);
  g->show();
  ASSERT_TRUE(g->SaveSettings(d3));
  for (const char* file : {"Form1.INI", "Recent.INI", "LogSet.INI"}) {
    SCOPED_TRACE(file);
    EXPECT_FALSE(FileText(d2 + file).empty());
    EXPECT_EQ(FileText(d3 + file), FileText(d2 + file));
  }
  const MainSettings saved = ReadMainSettings(d3, {});
  EXPECT_EQ(saved.Color, 255);
  EXPECT_EQ(saved.BaseFont.Style, kFsBold);
  EXPECT_FALSE(saved.SplitVert);
}

TEST(MainForm, AbsurdSettingsAreFittedToTheScreenBeforeTheyApply) {
  const QRect desk = QGuiApplication::primaryScreen()->availableVirtualGeometry();
  const char* const windows[] = {
      "Left=0\r\nTop=0\r\nRight=100000\r\nBottom=100000",
      "Left=-2147483646\r\nTop=0\r\nRight=2147483647\r\nBottom=500",
      "Left=2147483000\r\nTop=-2147483648\r\nRight=2147483600\r\nBottom=-2147483000",
      "Left=40000\r\nTop=40000\r\nRight=40600\r\nBottom=40400\r\nSplitWidth=2147483647",
  };
  for (const char* window : windows) {
    SCOPED_TRACE(window);
    testing::TempDir dir;
    dir.Write("Form1.INI", std::string("[Window]\r\n") + window +
                               "\r\n[BaseFont]\r\nSize=-2147483648\r\n[KeyFont]\r\nSize=32767\r\n");
    auto f = Form();
    f->LoadSettings(dir.Path().string() + "/");
    EXPECT_TRUE(desk.contains(f->geometry())) << f->geometry().x() << "," << f->geometry().y();
    EXPECT_GT(f->width(), 0);
    EXPECT_LE(f->font().pointSize(), 72);
    const QList<int> split = Child<QSplitter>(*f, "Splitter1")->sizes();
    EXPECT_LE(split.value(0), desk.width());
  }
}

TEST(MainForm, SettingsThatCannotBeReadAreToldAndNotWrittenBack) {
  // A folder where a settings file should be: it exists but cannot be read.
  testing::TempDir dir;
  const std::string d = dir.Path().string() + "/";
  std::filesystem::create_directory(d + "Recent.INI");
  ScriptedDialogs boxes;
  auto f = Form();
  f->LoadSettings(d);
  ASSERT_EQ(boxes.Count(testing::ShownBox::Message), 1);
  EXPECT_TRUE(boxes.Shown[0].Text.contains(QStringLiteral("Recent.INI")));
  EXPECT_FALSE(f->SaveSettings(d));
  ASSERT_EQ(boxes.Count(testing::ShownBox::Message), 2);
  EXPECT_TRUE(boxes.Shown[1].Text.contains(QStringLiteral("Recent.INI")));
  EXPECT_TRUE(std::filesystem::is_directory(d + "Recent.INI"));
  EXPECT_FALSE(FileText(d + "Form1.INI").empty());  // the others are still written
}

TEST(MainForm, OldSystemKeepsTheColourAndFontFromTheTree) {
  testing::TempDir dir;
  dir.Write("Form1.INI", "[Window]\r\nColor=255\r\n[BaseFont]\r\nName=IPAGothic\r\nSize=20\r\n");
  // A value that is not a number, or none, leaves the flag off.
  for (const auto& [key, old] : {std::pair{"oldsystem:2", true}, std::pair{"OldSystem:", false},
                                 std::pair{"OldSystem:x", false}}) {
    SCOPED_TRACE(key);
    auto f = Form({key});
    const QFont before = Tree(*f)->font();
    f->LoadSettings(dir.Path().string() + "/");
    EXPECT_EQ(Tree(*f)->palette().color(QPalette::Base) != QColor(255, 0, 0), old);
    EXPECT_EQ(Tree(*f)->font() == before, old);
  }
}

TEST(MainForm, CloseAsksAndOnlyOkCloses) {
  ScriptedDialogs boxes;
  auto f = Form();
  f->show();
  boxes.Answers = {ModalResult::Cancel};
  EXPECT_FALSE(f->close());
  EXPECT_TRUE(f->isVisible());
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_EQ(boxes.Shown[0].Text, QStringLiteral("終了しますか？"));
  EXPECT_EQ(boxes.Shown[0].Caption, QStringLiteral("YUZUBANの過去ログを見る"));
  EXPECT_EQ(boxes.Shown[0].Buttons, MsgButtons::OkCancel);
  EXPECT_EQ(boxes.Shown[0].DefaultResult, ModalResult::Cancel);
  boxes.Answers = {ModalResult::Ok};
  EXPECT_TRUE(f->close());
  EXPECT_FALSE(f->isVisible());
}

TEST(MainForm, ExitEndsWithoutAsking) {
  ScriptedDialogs boxes;
  auto f = Form();
  f->show();
  int exits = 0;
  f->OnExit = [&] { ++exits; };
  Action(*f, "ActionExit")->trigger();
  EXPECT_EQ(exits, 1);
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST(MainForm, SplitCommandNamesTheLayoutItSwitchesTo) {
  auto f = Form();
  f->show();
  auto* splitter = Child<QSplitter>(*f, "Splitter1");
  auto* button = Child<QToolButton>(*f, "ToolBtnSplit");
  const auto shows = [](const QIcon& icon, Glyph glyph) {
    return icon.pixmap(16, 16).toImage() == GlyphPixmap(glyph).toImage();
  };
  f->SetSplitVertical(false);
  EXPECT_EQ(splitter->orientation(), Qt::Vertical);
  EXPECT_EQ(Action(*f, "MenuSplit")->text(), QStringLiteral("縦に分割する(&V)"));
  EXPECT_EQ(button->toolTip(), QStringLiteral("縦に分割する"));
  EXPECT_TRUE(shows(button->icon(), kGlyphSplitVertical));
  f->SetSplitVertical(true);
  EXPECT_EQ(splitter->orientation(), Qt::Horizontal);
  EXPECT_EQ(Action(*f, "MenuSplit")->text(), QStringLiteral("横に分割する(&H)"));
  EXPECT_EQ(button->toolTip(), QStringLiteral("横に分割する"));
  EXPECT_TRUE(shows(button->icon(), kGlyphSplitHorizontal));
}

}  // namespace
}  // namespace yuzulog
