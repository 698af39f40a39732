// The main window's commands, their menus and the three tool bars of its control bar. The
// object names are the ones the settings and the tests know them by.
#pragma once

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace yuzulog {

struct MainCommands {
  // The tool bars: the one that stands for a menu bar, the file and tool commands, the view
  // commands.
  QToolBar* menuBar = nullptr;
  QToolBar* fileToolBar = nullptr;
  QToolBar* viewToolBar = nullptr;
  QToolButton* logSetButton = nullptr;
  QToolButton* splitButton = nullptr;

  QAction* open = nullptr;
  QAction* add = nullptr;
  QAction* logData = nullptr;
  QAction* exit = nullptr;
  QAction* font = nullptr;
  QAction* wordWrap = nullptr;
  QAction* search = nullptr;
  QAction* searchMenuItem = nullptr;  // the search command's item, with the window's check mark
  QAction* about = nullptr;
  QAction* keyFont = nullptr;
  QAction* searchStayOnTop = nullptr;
  QAction* gotoMessage = nullptr;
  QAction* back = nullptr;
  QAction* copyMessage = nullptr;
  QAction* split = nullptr;
  QAction* background = nullptr;
  QAction* fileToolBarShown = nullptr;
  QAction* viewToolBarShown = nullptr;
  QAction* addLogSet = nullptr;
  QAction* removeLogSet = nullptr;
  QAction* logSetSeparator = nullptr;
  QAction* threadPage = nullptr;  // a message on the page of its whole thread
  QAction* showUnread = nullptr;
  QAction* markRead = nullptr;
  QAction* markUnread = nullptr;
  QAction* bookmark = nullptr;
  QAction* bookmarkList = nullptr;
  QAction* exportLogs = nullptr;
  QAction* stats = nullptr;

  QMenu* fileMenu = nullptr;
  QMenu* toolMenu = nullptr;
  QMenu* viewMenu = nullptr;
  QMenu* helpMenu = nullptr;
  QMenu* toolBarMenu = nullptr;
  QMenu* logSetMenu = nullptr;
  QMenu* treeMenu = nullptr;
  QMenu* recentMenu = nullptr;
};

// Creates them as children of window, its actions added to it and its tool bars placed.
void CreateMainCommands(QMainWindow& window, MainCommands& commands);

}  // namespace yuzulog
