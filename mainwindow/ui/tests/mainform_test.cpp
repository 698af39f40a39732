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

#include "mainwindow/ui/messagetreemodel.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

using testing::ScriptedDialogs;
using testing::ShownBox;

std::unique_ptr<TMainForm> Form(std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"/usr/bin/yuzulog", "ViewMode:1"};
  args.insert(args.end(), extra.begin(), extra.end());
  return std::make_unique<TMainForm>(args);
}

QStringList MenuTexts(QMenu* m) {
  QStringList t;
  for (QAction* a : m->actions())
    t << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return t;
}

TEST(MainForm, StartsEmptyWithTheCommandTable) {
  auto f = Form();
  EXPECT_EQ(f->windowTitle(), QStringLiteral("YUZUBANの過去ログを見る"));
  EXPECT_EQ(f->TreeModel()->rowCount(), 0);
  EXPECT_EQ(f->StatusText(), QString());
  EXPECT_FALSE(f->IsBrowserView());
  EXPECT_NE(qobject_cast<QTextEdit*>(f->View()), nullptr);
  EXPECT_TRUE(qobject_cast<QTextEdit*>(f->View())->isReadOnly());
  EXPECT_TRUE(f->TreeView()->uniformRowHeights());

  struct Row {
    const char* Name;
    const char* Caption;
    const char* Hint;
    QKeySequence Shortcut;
    bool Enabled;
  };
  const Row rows[] = {
      {"ActionOpenArchive", "開く(&O)", "ファイルを開く", QKeySequence(Qt::CTRL | Qt::Key_O), true},
      {"ActionAddArchive", "追加(&A)", "ファイルを追加する", {}, true},
      {"ActionLogData", "ログデータの構成(&L)", "ログデータ管理ダイアログを表示する", {}, false},
      {"ActionExit", "終了(&X)", nullptr, {}, true},
      {"ActionFontSelect", "フォント(&F)", "発言の表示フォントを変更します", {}, false},
      {"ActionWordWrap",
       "ワードラップ(&W)",
       "発言の表示でワードラップするかどうかの設定",
       {},
       false},
      {"ActionSearch", "検索フォーム(&F)", "検索フォームの表示", QKeySequence(Qt::CTRL | Qt::Key_F),
       false},
      {"ActionAbout", "バージョン情報(&A)", "バージョン情報", {}, false},
      {"ActionKeyFontSelect", "検索キーのフォント(&K)", nullptr, {}, false},
      {"ActionSearchStayOnTop",
       "検索フォームを常に手前に表示(&S)",
       "検索フォームを常に手前に表示します。",
       {},
       false},
      {"ActionGotoMsg", "移動(&G)", nullptr, QKeySequence(Qt::CTRL | Qt::Key_G), false},
      {"ActionPrev", "", nullptr, QKeySequence(Qt::ALT | Qt::Key_Backspace), false},
      {"ActionCopyCurrentMsg", "発言をコピー", nullptr,
       QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C), false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    QAction* a = f->Action(QString::fromUtf8(r.Name));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(), QString::fromUtf8(r.Caption));
    if (r.Hint) {
      EXPECT_EQ(a->toolTip(), QString::fromUtf8(r.Hint));
    }
    EXPECT_EQ(a->shortcut(), r.Shortcut);
    EXPECT_EQ(a->isEnabled(), r.Enabled);
  }
}

TEST(MainForm, MenusAndToolBarsInOrder) {
  auto f = Form();
  EXPECT_EQ(MenuTexts(f->Menu(QStringLiteral("PopupMenuFile"))),
            (QStringList{"開く(&O)", "追加(&A)", "最近使ったフォルダから開く(&R)", "ログセット(&L)",
                         "ログデータの構成(&L)", "-", "終了(&X)"}));
  EXPECT_FALSE(f->Menu(QStringLiteral("MenuReopen"))->isEnabled());
  EXPECT_EQ(MenuTexts(f->Menu(QStringLiteral("PopupMenuTool"))),
            (QStringList{"検索フォーム(&F)", "移動(&G)", "発言をコピー"}));
  EXPECT_EQ(
      MenuTexts(f->Menu(QStringLiteral("PopupMenuView"))),
      (QStringList{"ツールバー(&T)", "横に分割する(&H)", "検索フォームを常に手前に表示(&S)", "-",
                   "フォント(&F)", "ワードラップ(&W)", "背景色(&B)", "検索キーのフォント(&K)"}));
  EXPECT_EQ(MenuTexts(f->Menu(QStringLiteral("PopupMenuHelp"))),
            (QStringList{"バージョン情報(&A)"}));
  EXPECT_EQ(MenuTexts(f->Menu(QStringLiteral("PopupMenuCtrlBar"))),
            (QStringList{"[ファイル]と[ツール]", "[表示]と[ヘルプ]"}));
  EXPECT_EQ(MenuTexts(f->Menu(QStringLiteral("PopupMenuLogSet"))),
            (QStringList{"-", "登録(&A)", "削除(R&)"}));
  EXPECT_EQ(MenuTexts(f->Menu(QStringLiteral("PopupMenuTreeView"))), (QStringList{"移動(&G)"}));

  QStringList menuBar;
  for (QToolButton* b : f->ToolBar(QStringLiteral("ToolBarMenu"))->findChildren<QToolButton*>())
    if (b->menu()) menuBar << b->text();
  EXPECT_EQ(menuBar, (QStringList{"ファイル(&F)", "ツール(&T)", "表示(&V)", "ヘルプ(&H)"}));
  for (QToolButton* b : f->ToolBar(QStringLiteral("ToolBarMenu"))->findChildren<QToolButton*>())
    if (b->menu()) {
      EXPECT_EQ(b->popupMode(), QToolButton::InstantPopup);
    }
  EXPECT_EQ(f->ToolBar(QStringLiteral("ToolBar1"))->actions().size(), 6);
  EXPECT_EQ(f->ToolBar(QStringLiteral("ToolBar2"))->actions().size(), 5);
  auto* split = f->findChild<QToolButton*>(QStringLiteral("ToolBtnSplit"));
  EXPECT_EQ(split->property("glyph").toInt(), 10);
  EXPECT_EQ(split->toolTip(), QStringLiteral("横に分割する"));

  // The tool-bar items hide and show the two tool bars.
  f->show();
  f->Action(QStringLiteral("File_Tool_Menu"))->trigger();
  EXPECT_FALSE(f->ToolBar(QStringLiteral("ToolBar1"))->isVisible());
  f->Action(QStringLiteral("File_Tool_Menu"))->trigger();
  EXPECT_TRUE(f->ToolBar(QStringLiteral("ToolBar1"))->isVisible());
}

TEST(MainForm, CommandLineKeysChooseViewAndOldSystem) {
  EXPECT_FALSE(Form({"viewmode:1"})->IsBrowserView());
  EXPECT_FALSE(Form({"OldSystem:"})->OldSystem());
  EXPECT_FALSE(Form({"OldSystem:x"})->OldSystem());
  EXPECT_TRUE(Form({"oldsystem:2"})->OldSystem());
  auto f = Form({"LogSet:\"a b\""});
  EXPECT_EQ(f->GetParamValue("logset:"), "\"a b\"");
  // Argument 0 comes first: the test's own "ViewMode:1" wins over later ones.
  EXPECT_FALSE(Form({"ViewMode:0"})->IsBrowserView());
}

#ifdef YUZULOG_HAVE_WEBENGINE
TEST(MainForm, ViewModeThatIsNotANumberGivesTheBrowserView) {
  TMainForm f({"/usr/bin/yuzulog", "VIEWMODE:abc"});
  EXPECT_TRUE(f.IsBrowserView());
  EXPECT_EQ(f.View()->metaObject()->className(), QByteArray("QWebEngineView"));
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
  EXPECT_TRUE(f->SplitVertical());
  EXPECT_FALSE(f->Action(QStringLiteral("ActionWordWrap"))->isChecked());
  EXPECT_EQ(f->WindowColor(), kClWindow);
  EXPECT_EQ(f->BaseFont(), FontSpec{});
  EXPECT_EQ(f->KeyFont().Color, kClBlue);
  EXPECT_EQ(f->KeyFont().Name, f->BaseFont().Name);
  EXPECT_TRUE(f->RecentFolders().empty());
  EXPECT_TRUE(f->LogSets().empty());
  EXPECT_EQ(f->TreeView()->palette().color(QPalette::Base),
            QApplication::palette().color(QPalette::Base));
  // Written even though nothing was loaded.
  EXPECT_TRUE(f->SaveSettings(d));
  EXPECT_TRUE(std::filesystem::exists(d + "Form1.INI"));
  EXPECT_TRUE(std::filesystem::exists(d + "Recent.INI"));
  EXPECT_TRUE(std::filesystem::exists(d + "LogSet.INI"));
}

TEST(MainForm, SettingsRoundTrip) {
  testing::TempDir dir;
  const std::string d = dir.Path().string() + "/";
  dir.Write("Form1.INI",
            "[Window]\r\nWindowState=2\r\nLeft=30\r\nTop=40\r\nRight=630\r\nBottom=440\r\n"
            "SplitVert=0\r\nSplitWidth=120\r\nWordWrap=1\r\nColor=255\r\n"
            "[BaseFont]\r\nName=IPAGothic\r\nSize=11\r\nStyle=1\r\n");
  dir.Write("Recent.INI", "/logs/a\r\n/logs/b\r\n");
  dir.Write("LogSet.INI", "\"set\",\"/logs/a/x.lzh\"\r\n");
  auto f = Form();
  f->LoadSettings(d);
  f->show();
  EXPECT_TRUE(f->isMaximized());
  EXPECT_EQ(f->normalGeometry(), QRect(30, 40, 600, 400));
  EXPECT_FALSE(f->SplitVertical());
  EXPECT_TRUE(f->Action(QStringLiteral("ActionWordWrap"))->isChecked());
  EXPECT_EQ(f->WindowColor(), 255);
  EXPECT_EQ(f->TreeView()->palette().color(QPalette::Base), QColor(255, 0, 0));
  EXPECT_EQ(f->TreeView()->font().family(), QStringLiteral("IPAGothic"));
  EXPECT_EQ(f->BaseFont().Style, kFsBold);
  EXPECT_EQ(f->RecentFolders(), (std::vector<std::string>{"/logs/a", "/logs/b"}));
  ASSERT_TRUE(f->SaveSettings(d));

  auto g = Form();
  g->LoadSettings(d);
  EXPECT_EQ(g->normalGeometry(), QRect(30, 40, 600, 400));
  EXPECT_EQ(g->WindowColor(), 255);
  EXPECT_EQ(g->BaseFont(), f->BaseFont());
  EXPECT_EQ(g->KeyFont(), f->KeyFont());
  EXPECT_EQ(g->LogSets(), f->LogSets());
  EXPECT_FALSE(g->SplitVertical());
}

TEST(MainForm, OldSystemKeepsTheColourAndFontFromTheTree) {
  testing::TempDir dir;
  dir.Write("Form1.INI", "[Window]\r\nColor=255\r\n[BaseFont]\r\nName=IPAGothic\r\nSize=20\r\n");
  auto f = Form({"OldSystem:1"});
  const QFont before = f->TreeView()->font();
  f->LoadSettings(dir.Path().string() + "/");
  EXPECT_NE(f->TreeView()->palette().color(QPalette::Base), QColor(255, 0, 0));
  EXPECT_EQ(f->TreeView()->font(), before);
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
  f->Action(QStringLiteral("ActionExit"))->trigger();
  EXPECT_EQ(exits, 1);
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST(MainForm, SplitLayoutCaptionsFollowTheLayout) {
  auto f = Form();
  f->show();
  f->SetSplitVertical(false);
  EXPECT_EQ(f->findChild<QSplitter*>()->orientation(), Qt::Vertical);
  EXPECT_EQ(f->Action(QStringLiteral("MenuSplit"))->text(), QStringLiteral("縦に分割する(&V)"));
  EXPECT_EQ(f->findChild<QToolButton*>(QStringLiteral("ToolBtnSplit"))->property("glyph").toInt(),
            9);
  f->SetSplitVertical(true);
  EXPECT_EQ(f->findChild<QSplitter*>()->orientation(), Qt::Horizontal);
  EXPECT_EQ(f->Action(QStringLiteral("MenuSplit"))->text(), QStringLiteral("横に分割する(&H)"));
}

}  // namespace
}  // namespace yuzulog
