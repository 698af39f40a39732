// The main window's commands, their menus and the three tool bars of the control bar.
#include <QAction>
#include <QMenu>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>

#include "mainwindow/ui/glyphs.h"
#include "mainwindow/ui/mainform.h"

namespace yuzulog {

void TMainForm::CreateActions() {
  const auto make = [this](const char* name, const char* caption, const char* hint,
                           QKeySequence shortcut, int glyph, bool enabled) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
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
    addAction(a);
    return a;
  };
  ActionOpenArchive = make("ActionOpenArchive", "開く(&O)", "ファイルを開く",
                           QKeySequence(Qt::CTRL | Qt::Key_O), kGlyphOpen, true);
  ActionAddArchive =
      make("ActionAddArchive", "追加(&A)", "ファイルを追加する", {}, kGlyphAdd, true);
  ActionLogData = make("ActionLogData", "ログデータの構成(&L)",
                       "ログデータ管理ダイアログを表示する", {}, kGlyphLogData, true);
  ActionExit = make("ActionExit", "終了(&X)", nullptr, {}, -1, true);
  ActionFontSelect = make("ActionFontSelect", "フォント(&F)", "発言の表示フォントを変更します", {},
                          kGlyphFont, true);
  ActionWordWrap = make("ActionWordWrap", "ワードラップ(&W)",
                        "発言の表示でワードラップするかどうかの設定", {}, kGlyphWordWrap, true);
  ActionWordWrap->setCheckable(true);
  // The two search commands work once the search window is there (SetSearchWindow).
  ActionSearch = make("ActionSearch", "検索フォーム(&F)", "検索フォームの表示",
                      QKeySequence(Qt::CTRL | Qt::Key_F), kGlyphSearch, false);
  ActionAbout = make("ActionAbout", "バージョン情報(&A)", "バージョン情報", {}, kGlyphAbout, true);
  ActionKeyFontSelect =
      make("ActionKeyFontSelect", "検索キーのフォント(&K)", nullptr, {}, kGlyphKeyFont, true);
  ActionSearchStayOnTop = make("ActionSearchStayOnTop", "検索フォームを常に手前に表示(&S)",
                               "検索フォームを常に手前に表示します。", {}, -1, false);
  ActionSearchStayOnTop->setCheckable(true);
  ActionGotoMsg =
      make("ActionGotoMsg", "移動(&G)", nullptr, QKeySequence(Qt::CTRL | Qt::Key_G), -1, true);
  ActionPrev = make("ActionPrev", "", nullptr, QKeySequence(Qt::ALT | Qt::Key_Backspace), -1, true);
  // Enabled by the drawing of a page that shows a message.
  ActionCopyCurrentMsg = make("ActionCopyCurrentMsg", "発言をコピー", nullptr,
                              QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C), -1, false);
}

void TMainForm::CreateMenus() {
  const auto menu = [this](const char* name, const QString& title = {}) {
    auto* m = new QMenu(title, this);
    m->setObjectName(QString::fromUtf8(name));
    m->setToolTipsVisible(true);
    return m;
  };
  const auto item = [this](const char* name, const char* caption, bool enabled) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
    a->setObjectName(QString::fromUtf8(name));
    a->setEnabled(enabled);
    return a;
  };

  PopupMenuCtrlBar = menu("PopupMenuCtrlBar", QStringLiteral("ツールバー(&T)"));
  File_Tool_Menu = item("File_Tool_Menu", "[ファイル]と[ツール]", true);
  View_Help_Menu = item("View_Help_Menu", "[表示]と[ヘルプ]", true);
  for (QAction* a : {File_Tool_Menu, View_Help_Menu}) {
    a->setCheckable(true);
    a->setChecked(true);
    PopupMenuCtrlBar->addAction(a);
  }

  PopupMenuLogSet = menu("PopupMenuLogSet", QStringLiteral("ログセット(&L)"));
  PopupMenuLogSet->setIcon(GlyphIcon(kGlyphLogSet));
  LogSetSeparator = PopupMenuLogSet->addSeparator();
  AddLogSetMenu = item("AddLogSetMenu", "登録(&A)", false);
  RemoveLogSetMenu = item("RemoveLogSetMenu", "削除(R&)", false);
  PopupMenuLogSet->addAction(AddLogSetMenu);
  PopupMenuLogSet->addAction(RemoveLogSetMenu);

  MenuReopen = menu("MenuReopen", QStringLiteral("最近使ったフォルダから開く(&R)"));
  MenuReopen->setEnabled(false);

  PopupMenuFile = menu("PopupMenuFile");
  PopupMenuFile->addAction(ActionOpenArchive);
  PopupMenuFile->addAction(ActionAddArchive);
  PopupMenuFile->addMenu(MenuReopen);
  PopupMenuFile->addMenu(PopupMenuLogSet);
  PopupMenuFile->addAction(ActionLogData);
  PopupMenuFile->addSeparator();
  PopupMenuFile->addAction(ActionExit);

  // The search command's item carries a check mark while the search window is shown; the
  // command itself, also on the tool bar, has none.
  Search1 = item("Search1", "", false);
  Search1->setText(ActionSearch->text() + QLatin1Char('\t') +
                   ActionSearch->shortcut().toString(QKeySequence::NativeText));
  Search1->setIcon(ActionSearch->icon());
  Search1->setToolTip(ActionSearch->toolTip());
  Search1->setCheckable(true);
  connect(Search1, &QAction::triggered, ActionSearch, &QAction::trigger);
  PopupMenuTool = menu("PopupMenuTool");
  PopupMenuTool->addAction(Search1);
  PopupMenuTool->addAction(ActionGotoMsg);
  PopupMenuTool->addAction(ActionCopyCurrentMsg);

  MenuSplit = item("MenuSplit", "縦に分割する(&V)", true);
  BkColor = item("BkColor", "背景色(&B)", true);
  PopupMenuView = menu("PopupMenuView");
  PopupMenuView->addMenu(PopupMenuCtrlBar);
  PopupMenuView->addAction(MenuSplit);
  PopupMenuView->addAction(ActionSearchStayOnTop);
  PopupMenuView->addSeparator();
  PopupMenuView->addAction(ActionFontSelect);
  PopupMenuView->addAction(ActionWordWrap);
  PopupMenuView->addAction(BkColor);
  PopupMenuView->addAction(ActionKeyFontSelect);

  PopupMenuHelp = menu("PopupMenuHelp");
  PopupMenuHelp->addAction(ActionAbout);

  PopupMenuTreeView = menu("PopupMenuTreeView");
  PopupMenuTreeView->addAction(ActionGotoMsg);
}

QToolButton* TMainForm::MenuButton(const QString& caption, QMenu* menu) {
  auto* b = new QToolButton(ToolBarMenu);
  b->setText(caption);
  b->setMenu(menu);
  b->setPopupMode(QToolButton::InstantPopup);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  // The drop-down arrow would make the buttons look like tool buttons, not a menu bar.
  b->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
  ToolBarMenu->addWidget(b);
  return b;
}

void TMainForm::CreateToolBars() {
  const auto bar = [this](const char* name) {
    auto* t = new QToolBar(this);
    t->setObjectName(QString::fromUtf8(name));
    t->setIconSize(QSize(16, 16));
    t->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(t, &QWidget::customContextMenuRequested, this,
            [this, t](const QPoint& p) { PopupMenuCtrlBar->popup(t->mapToGlobal(p)); });
    return t;
  };
  ToolBarMenu = bar("ToolBarMenu");
  ToolBarMenu->toggleViewAction()->setEnabled(false);  // the menu bar cannot be hidden
  MenuButton(QStringLiteral("ファイル(&F)"), PopupMenuFile);
  MenuButton(QStringLiteral("ツール(&T)"), PopupMenuTool);
  MenuButton(QStringLiteral("表示(&V)"), PopupMenuView);
  ToolBarMenu->addSeparator();
  MenuButton(QStringLiteral("ヘルプ(&H)"), PopupMenuHelp);

  ToolBar1 = bar("ToolBar1");
  ToolBar1->addAction(ActionOpenArchive);
  ToolBar1->addAction(ActionAddArchive);
  ToolButtonLogSet = new QToolButton(ToolBar1);
  ToolButtonLogSet->setObjectName(QStringLiteral("ToolButtonLogSet"));
  ToolButtonLogSet->setIcon(GlyphIcon(kGlyphLogSet));
  ToolButtonLogSet->setToolTip(QStringLiteral("ログセット"));
  ToolButtonLogSet->setMenu(PopupMenuLogSet);
  ToolButtonLogSet->setPopupMode(QToolButton::InstantPopup);
  ToolBar1->addWidget(ToolButtonLogSet);
  ToolBar1->addAction(ActionLogData);
  ToolBar1->addSeparator();
  ToolBar1->addAction(ActionSearch);

  ToolBar2 = bar("ToolBar2");
  ToolBtnSplit = new QToolButton(ToolBar2);
  ToolBtnSplit->setObjectName(QStringLiteral("ToolBtnSplit"));
  ToolBar2->addWidget(ToolBtnSplit);
  ToolBar2->addAction(ActionFontSelect);
  ToolBar2->addAction(ActionWordWrap);
  ToolBar2->addSeparator();
  ToolBar2->addAction(ActionAbout);

  addToolBar(Qt::TopToolBarArea, ToolBarMenu);
  addToolBarBreak(Qt::TopToolBarArea);
  addToolBar(Qt::TopToolBarArea, ToolBar1);
  addToolBar(Qt::TopToolBarArea, ToolBar2);

  // The tool bars stand for a menu bar: their buttons answer the mouse and their mnemonics but
  // never take the keyboard focus, which stays with the tree and the view (arrow keys would
  // otherwise walk the menus).
  for (QToolBar* t : {ToolBarMenu, ToolBar1, ToolBar2})
    for (QToolButton* b : t->findChildren<QToolButton*>())
      b->setFocusPolicy(Qt::NoFocus);
}

}  // namespace yuzulog
