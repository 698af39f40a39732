// The main window's commands, their menus and the three tool bars of the control bar.
#include <QAction>
#include <QCursor>
#include <QMainWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>

#include "mainwindow/ui/glyphs.h"
#include "mainwindow/ui/maincommands.h"

namespace yuzulog {
namespace {

void CreateActions(QMainWindow& window, MainCommands& c) {
  const auto make = [&window](const char* name, const char* caption, const char* hint,
                              QKeySequence shortcut, int glyph, bool enabled) {
    auto* a = new QAction(QString::fromUtf8(caption), &window);
    a->setObjectName(QString::fromUtf8(name));
    if (hint) {
      a->setToolTip(QString::fromUtf8(hint));
      a->setStatusTip(QString::fromUtf8(hint));
    } else {
      a->setToolTip(
          QString::fromUtf8(caption).remove(QRegularExpression(QStringLiteral("\\(&.\\)|&"))));
    }
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    if (glyph >= 0) a->setIcon(GlyphIcon(glyph));
    // A command starts disabled only while it waits for something: copying for a drawn message,
    // the search commands for the search window.
    a->setEnabled(enabled);
    window.addAction(a);
    return a;
  };
  c.open = make("ActionOpenArchive", "開く(&O)", "ファイルを開く",
                QKeySequence(Qt::CTRL | Qt::Key_O), kGlyphOpen, true);
  c.add = make("ActionAddArchive", "追加(&A)", "ファイルを追加する", {}, kGlyphAdd, true);
  c.logData = make("ActionLogData", "ログデータの構成(&L)", "ログデータ管理ダイアログを表示する",
                   {}, kGlyphLogData, true);
  c.exit = make("ActionExit", "終了(&X)", nullptr, {}, -1, true);
  c.font = make("ActionFontSelect", "フォント(&F)", "発言の表示フォントを変更します", {},
                kGlyphFont, true);
  c.wordWrap = make("ActionWordWrap", "ワードラップ(&W)",
                    "発言の表示でワードラップするかどうかの設定", {}, kGlyphWordWrap, true);
  c.wordWrap->setCheckable(true);
  // The two search commands work once the search window is there (SetSearchWindow).
  c.search = make("ActionSearch", "検索フォーム(&F)", "検索フォームの表示",
                  QKeySequence(Qt::CTRL | Qt::Key_F), kGlyphSearch, false);
  c.about = make("ActionAbout", "バージョン情報(&A)", "バージョン情報", {}, kGlyphAbout, true);
  c.keyFont =
      make("ActionKeyFontSelect", "検索キーのフォント(&K)", nullptr, {}, kGlyphKeyFont, true);
  c.searchStayOnTop = make("ActionSearchStayOnTop", "検索フォームを常に手前に表示(&S)",
                           "検索フォームを常に手前に表示します。", {}, -1, false);
  c.searchStayOnTop->setCheckable(true);
  c.gotoMessage =
      make("ActionGotoMsg", "移動(&G)", nullptr, QKeySequence(Qt::CTRL | Qt::Key_G), -1, true);
  c.back = make("ActionPrev", "", nullptr, QKeySequence(Qt::ALT | Qt::Key_Backspace), -1, true);
  // Enabled by the drawing of a page that shows a message.
  c.copyMessage = make("ActionCopyCurrentMsg", "発言をコピー", nullptr,
                       QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C), -1, false);
  c.threadPage = make("ActionThreadPage", "スレッドをまとめて表示(&R)",
                      "発言をそのスレッドの全発言と一緒に表示します",
                      QKeySequence(Qt::CTRL | Qt::Key_T), -1, true);
  c.threadPage->setCheckable(true);
  c.showUnread = make("ActionShowUnread", "未読を太字で表示(&U)",
                      "未読の発言を太字で、未読の数を灰色で表示します", {}, -1, true);
  c.showUnread->setCheckable(true);
  c.showUnread->setChecked(true);
  c.bookmark = make("ActionBookmark", "しおりを付ける/外す(&D)",
                    "表示中の発言にしおりを付けます（付いていれば外します）",
                    QKeySequence(Qt::CTRL | Qt::Key_D), -1, true);
  c.bookmarkList = make("ActionBookmarkList", "しおり一覧(&B)", "しおりの一覧を表示します",
                        QKeySequence(Qt::CTRL | Qt::Key_B), -1, true);
  // Enabled once the program hands the main window their windows (SetToolWindows).
  c.exportLogs = make("ActionExport", "エクスポート(&E)...", "読み込んだログを別の形式で書き出す",
                      {}, -1, false);
  c.stats = make("ActionStats", "ログの統計(&S)", "会議室ごとの発言数や発言者の統計を表示する", {},
                 -1, false);
}

void CreateMenus(QMainWindow& window, MainCommands& c) {
  const auto menu = [&window](const char* name, const QString& title = {}) {
    auto* m = new QMenu(title, &window);
    m->setObjectName(QString::fromUtf8(name));
    m->setToolTipsVisible(true);
    return m;
  };
  const auto item = [&window](const char* name, const char* caption, bool enabled) {
    auto* a = new QAction(QString::fromUtf8(caption), &window);
    a->setObjectName(QString::fromUtf8(name));
    a->setEnabled(enabled);
    return a;
  };

  c.toolBarMenu = menu("PopupMenuCtrlBar", QStringLiteral("ツールバー(&T)"));
  c.fileToolBarShown = item("File_Tool_Menu", "[ファイル]と[ツール]", true);
  c.viewToolBarShown = item("View_Help_Menu", "[表示]と[ヘルプ]", true);
  for (QAction* a : {c.fileToolBarShown, c.viewToolBarShown}) {
    a->setCheckable(true);
    a->setChecked(true);
    c.toolBarMenu->addAction(a);
  }

  c.logSetMenu = menu("PopupMenuLogSet", QStringLiteral("ログセット(&L)"));
  c.logSetMenu->setIcon(GlyphIcon(kGlyphLogSet));
  c.logSetSeparator = c.logSetMenu->addSeparator();
  c.addLogSet = item("AddLogSetMenu", "登録(&A)", false);
  c.removeLogSet = item("RemoveLogSetMenu", "削除(&R)", false);
  c.logSetMenu->addAction(c.addLogSet);
  c.logSetMenu->addAction(c.removeLogSet);

  c.recentMenu = menu("MenuReopen", QStringLiteral("最近使ったフォルダから開く(&R)"));
  c.recentMenu->setEnabled(false);

  c.fileMenu = menu("PopupMenuFile");
  c.fileMenu->addAction(c.open);
  c.fileMenu->addAction(c.add);
  c.fileMenu->addMenu(c.recentMenu);
  c.fileMenu->addMenu(c.logSetMenu);
  c.fileMenu->addAction(c.logData);
  c.fileMenu->addSeparator();
  c.fileMenu->addAction(c.exportLogs);
  c.fileMenu->addSeparator();
  c.fileMenu->addAction(c.exit);

  // The search command's item carries a check mark while the search window is shown; the
  // command itself, also on the tool bar, has none.
  c.searchMenuItem = item("Search1", "", false);
  c.searchMenuItem->setText(c.search->text() + QLatin1Char('\t') +
                            c.search->shortcut().toString(QKeySequence::NativeText));
  c.searchMenuItem->setIcon(c.search->icon());
  c.searchMenuItem->setToolTip(c.search->toolTip());
  c.searchMenuItem->setCheckable(true);
  QObject::connect(c.searchMenuItem, &QAction::triggered, c.search, &QAction::trigger);
  c.toolMenu = menu("PopupMenuTool");
  c.toolMenu->addAction(c.searchMenuItem);
  c.toolMenu->addAction(c.gotoMessage);
  c.toolMenu->addAction(c.copyMessage);
  c.toolMenu->addSeparator();
  c.toolMenu->addAction(c.bookmark);
  c.toolMenu->addAction(c.bookmarkList);
  c.toolMenu->addAction(c.stats);

  c.split = item("MenuSplit", "縦に分割する(&V)", true);
  c.background = item("BkColor", "背景色(&B)", true);
  c.viewMenu = menu("PopupMenuView");
  c.viewMenu->addMenu(c.toolBarMenu);
  c.viewMenu->addAction(c.split);
  c.viewMenu->addAction(c.searchStayOnTop);
  c.viewMenu->addSeparator();
  c.viewMenu->addAction(c.font);
  c.viewMenu->addAction(c.wordWrap);
  c.viewMenu->addAction(c.background);
  c.viewMenu->addAction(c.keyFont);
  c.viewMenu->addSeparator();
  c.viewMenu->addAction(c.threadPage);
  c.viewMenu->addAction(c.showUnread);

  c.helpMenu = menu("PopupMenuHelp");
  c.helpMenu->addAction(c.about);

  c.treeMenu = menu("PopupMenuTreeView");
  c.treeMenu->addAction(c.gotoMessage);
  c.markRead = item("MarkReadMenu", "既読にする", true);
  c.markUnread = item("MarkUnreadMenu", "未読にする", true);
  c.treeMenu->addSeparator();
  c.treeMenu->addAction(c.markRead);
  c.treeMenu->addAction(c.markUnread);
}

QToolButton* MenuButton(QToolBar* bar, const QString& caption, QMenu* menu) {
  auto* b = new QToolButton(bar);
  b->setText(caption);
  b->setMenu(menu);
  b->setPopupMode(QToolButton::InstantPopup);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  // The drop-down arrow would make the buttons look like tool buttons, not a menu bar.
  b->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
  // While its menu is open the menu has the mouse, so the button never hears the pointer leave
  // and keeps its raised frame once the menu closes with a click elsewhere; it asks where the
  // pointer is instead.
  QObject::connect(menu, &QMenu::aboutToHide, b, [b] {
    QMetaObject::invokeMethod(
        b,
        [b] {
          b->setAttribute(Qt::WA_UnderMouse, b->rect().contains(b->mapFromGlobal(QCursor::pos())));
          b->update();
        },
        Qt::QueuedConnection);
  });
  bar->addWidget(b);
  return b;
}

void CreateToolBars(QMainWindow& window, MainCommands& c) {
  const auto bar = [&](const char* name) {
    auto* t = new QToolBar(&window);
    t->setObjectName(QString::fromUtf8(name));
    t->setIconSize(QSize(16, 16));
    t->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(t, &QWidget::customContextMenuRequested, &window,
                     [&c, t](const QPoint& p) { c.toolBarMenu->popup(t->mapToGlobal(p)); });
    return t;
  };
  c.menuBar = bar("ToolBarMenu");
  c.menuBar->toggleViewAction()->setEnabled(false);  // the menu bar cannot be hidden
  MenuButton(c.menuBar, QStringLiteral("ファイル(&F)"), c.fileMenu);
  MenuButton(c.menuBar, QStringLiteral("ツール(&T)"), c.toolMenu);
  MenuButton(c.menuBar, QStringLiteral("表示(&V)"), c.viewMenu);
  c.menuBar->addSeparator();
  MenuButton(c.menuBar, QStringLiteral("ヘルプ(&H)"), c.helpMenu);

  c.fileToolBar = bar("ToolBar1");
  c.fileToolBar->addAction(c.open);
  c.fileToolBar->addAction(c.add);
  c.logSetButton = new QToolButton(c.fileToolBar);
  c.logSetButton->setObjectName(QStringLiteral("ToolButtonLogSet"));
  c.logSetButton->setIcon(GlyphIcon(kGlyphLogSet));
  c.logSetButton->setToolTip(QStringLiteral("ログセット"));
  c.logSetButton->setMenu(c.logSetMenu);
  c.logSetButton->setPopupMode(QToolButton::InstantPopup);
  c.fileToolBar->addWidget(c.logSetButton);
  c.fileToolBar->addAction(c.logData);
  c.fileToolBar->addSeparator();
  c.fileToolBar->addAction(c.search);

  c.viewToolBar = bar("ToolBar2");
  c.splitButton = new QToolButton(c.viewToolBar);
  c.splitButton->setObjectName(QStringLiteral("ToolBtnSplit"));
  c.viewToolBar->addWidget(c.splitButton);
  c.viewToolBar->addAction(c.font);
  c.viewToolBar->addAction(c.wordWrap);
  c.viewToolBar->addSeparator();
  c.viewToolBar->addAction(c.about);

  window.addToolBar(Qt::TopToolBarArea, c.menuBar);
  window.addToolBarBreak(Qt::TopToolBarArea);
  window.addToolBar(Qt::TopToolBarArea, c.fileToolBar);
  window.addToolBar(Qt::TopToolBarArea, c.viewToolBar);

  // The tool bars stand for a menu bar: their buttons answer the mouse and their mnemonics but
  // never take the keyboard focus, which stays with the tree and the view (arrow keys would
  // otherwise walk the menus).
  for (QToolBar* t : {c.menuBar, c.fileToolBar, c.viewToolBar})
    for (QToolButton* b : t->findChildren<QToolButton*>())
      b->setFocusPolicy(Qt::NoFocus);
}

}  // namespace

void CreateMainCommands(QMainWindow& window, MainCommands& commands) {
  CreateActions(window, commands);
  CreateMenus(window, commands);
  CreateToolBars(window, commands);
}

}  // namespace yuzulog
