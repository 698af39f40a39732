// The main window: the control bar with its three tool bars, the tree of rooms and threads, the
// message view, the status bar, and the loading of log files into the tree.
//
// The class is defined in four files: mainform.cpp (creation, settings, the tree's events, closing
// and the wiring between the parts), mainform_actions.cpp (the commands, menus and tool bars),
// mainform_load.cpp (the load commands and the answers to the load loop's questions) and
// mainform_view.cpp (the message view: its creation, clearing, colour and the show requests).
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "common/fontspec.h"
#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeView;

namespace yuzulog {

class MessageTreeModel;
class TProgressDlg;

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  // args: the program's arguments, argument 0 being its own path.
  explicit TMainForm(std::vector<std::string> args, QWidget* parent = nullptr);
  ~TMainForm() override;

  std::string GetParamValue(std::string_view key) const;

  void LoadSettings(const std::string& dir);
  // False when the main settings file or a list file could not be written.
  bool SaveSettings(const std::string& dir);

  // Loading (replace or add) through the progress window.
  void LoadFileList(const std::vector<std::string>& paths, bool add);
  void ClearViews();
  void RemoveLogFiles(const std::vector<const TLogData*>& files);
  void SetSplitVertical(bool vertical);

  // Records what is to be shown and who asked; the drawing reads both.
  void RequestShow(QObject* requester, const TLogMessage* message);
  const TLogMessage* CurrentMessage() const { return FCurrentMessage; }
  QObject* Requester() const { return FRequester; }

  // The loaded files, for the windows that work on them.
  const LogFiles& Files() const { return FLogFiles; }

  // Whether Shift is held; tests replace it.
  std::function<bool()> ShiftHeld;
  // Called when the program is to end without the close question (the exit command, the end of
  // a "Screenshot:" run). The program's run quits its event loop here.
  std::function<void()> OnExit;

 public slots:
  void ActionOpenArchiveExecute();
  void ActionAddArchiveExecute();
  void ActionExitExecute();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class LoadCallbacksImpl;

  // mainform.cpp
  void FormCreate();
  void CreateTree();
  void FormShow();
  void TreeView1Change(const QModelIndex& current);
  void TreeView1MouseDown(const QModelIndex& at);
  // Selecting a node no longer asks for its message (the window is closing).
  void DetachTreeChange();
  void SetStatus(const QString& text);
  void TakeScreenshot();

  // mainform_actions.cpp
  void CreateActions();
  void CreateMenus();
  void CreateToolBars();
  QToolButton* MenuButton(const QString& caption, QMenu* menu);

  // mainform_load.cpp
  // The open dialog (several files, each must exist); empty when it is cancelled.
  std::vector<std::string> ChooseLogFiles();
  void TreeBuilt();
  void ExpandIfSingleRoom();
  void ShowLoadReport();

  // mainform_view.cpp
  void CreateView(int mode);
  void ClearView();
  void ApplyColor();

  std::vector<std::string> FArgs;
  QString FScreenshotPath;

  // Controls.
  QToolBar* ToolBarMenu = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QToolBar* ToolBar2 = nullptr;
  QToolButton* ToolButtonLogSet = nullptr;
  QToolButton* ToolBtnSplit = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTreeView* TreeView1 = nullptr;
  QLabel* StatusBar1 = nullptr;
  MessageTreeModel* FTreeModel = nullptr;

  // Commands and menus.
  QAction* ActionOpenArchive = nullptr;
  QAction* ActionAddArchive = nullptr;
  QAction* ActionLogData = nullptr;
  QAction* ActionExit = nullptr;
  QAction* ActionFontSelect = nullptr;
  QAction* ActionWordWrap = nullptr;
  QAction* ActionSearch = nullptr;
  QAction* ActionAbout = nullptr;
  QAction* ActionKeyFontSelect = nullptr;
  QAction* ActionSearchStayOnTop = nullptr;
  QAction* ActionGotoMsg = nullptr;
  QAction* ActionPrev = nullptr;
  QAction* ActionCopyCurrentMsg = nullptr;
  QAction* MenuSplit = nullptr;
  QAction* BkColor = nullptr;
  QAction* File_Tool_Menu = nullptr;
  QAction* View_Help_Menu = nullptr;
  QAction* AddLogSetMenu = nullptr;
  QAction* RemoveLogSetMenu = nullptr;
  QMenu* PopupMenuFile = nullptr;
  QMenu* PopupMenuTool = nullptr;
  QMenu* PopupMenuView = nullptr;
  QMenu* PopupMenuHelp = nullptr;
  QMenu* PopupMenuCtrlBar = nullptr;
  QMenu* PopupMenuLogSet = nullptr;
  QMenu* PopupMenuTreeView = nullptr;
  QMenu* MenuReopen = nullptr;

  // State, in the order the window has always declared it.
  QWidget* FView = nullptr;  // a child of Splitter1
  bool FOldSystem = false;
  std::vector<std::string> FRecentFolders;
  std::vector<std::string> FLogSets;
  LogFiles FLogFiles;
  MessageTree FTree;  // refers to FLogFiles' messages; emptied before any file is destroyed
  FontSpec FBaseFont;
  FontSpec FKeyFont;
  QObject* FRequester = nullptr;
  const TLogMessage* FCurrentMessage = nullptr;

  TColor FColor = kClWindow;
  bool FSplitVertical = true;
  bool FShownOnce = false;
};

}  // namespace yuzulog
