// The main window: the control bar with its three tool bars, the tree of rooms and threads, the
// message view, the status bar, and the loading of log files into the tree.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "common/fontspec.h"
#include "mainwindow/logfiles.h"
#include "mainwindow/messagetree.h"
#include "mainwindow/settings.h"

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
  void CreateView(int mode);

  void LoadSettings(const std::string& dir);
  // False when the main settings file or a list file could not be written.
  bool SaveSettings(const std::string& dir);

  // Loading (replace or add) through the progress window.
  void LoadFileList(const std::vector<std::string>& paths, bool add);
  void ClearViews();
  void RemoveLogFiles(const std::vector<const TLogData*>& files);
  void SetSplitVertical(bool vertical);

  // Records what is to be shown; the drawing of messages connects here.
  void RequestShow(QObject* requester, const TLogMessage* message);

  // For tests and for the parts that build on the window.
  const LogFiles& Files() const { return FLogFiles; }
  const MessageTree& Tree() const { return FTree; }
  QTreeView* TreeView() const { return TreeView1; }
  MessageTreeModel* TreeModel() const { return FTreeModel; }
  QWidget* View() const { return FView; }
  bool IsBrowserView() const { return FBrowserView; }
  bool OldSystem() const { return FOldSystem; }
  QString StatusText() const;
  QAction* Action(const QString& objectName) const;
  QMenu* Menu(const QString& objectName) const;
  QToolBar* ToolBar(const QString& objectName) const;
  const FontSpec& BaseFont() const { return FBaseFont; }
  const FontSpec& KeyFont() const { return FKeyFont; }
  TColor WindowColor() const { return FColor; }
  bool SplitVertical() const { return FSplitVertical; }
  const std::string& InterwayPrefix() const { return FInterwayPrefix; }
  const std::vector<std::string>& RecentFolders() const { return FRecentFolders; }
  const std::vector<std::string>& LogSets() const { return FLogSets; }
  const TLogMessage* CurrentMessage() const { return FCurrentMessage; }
  QObject* Requester() const { return FRequester; }
  int ShowRequests() const { return FShowRequests; }
  // Whether Shift is held; tests replace it.
  std::function<bool()> ShiftHeld;
  // Called when the program is to end without the close question (the exit command, the end of
  // a "Screenshot:" run). The program's run quits its event loop here.
  std::function<void()> OnExit;

 public slots:
  void ActionOpenArchiveExecute();
  void ActionAddArchiveExecute();
  // The open dialog (several files, each must exist); empty when it is cancelled.
  std::vector<std::string> ChooseLogFiles();
  void ActionExitExecute();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class LoadCallbacksImpl;

  void FormCreate();
  void FormShow();
  void CreateActions();
  void CreateMenus();
  void CreateToolBars();
  QToolButton* MenuButton(const QString& caption, QMenu* menu);
  void TreeView1Change(const QModelIndex& current);
  void TreeView1MouseDown(const QModelIndex& at);
  void TreeBuilt();
  void ExpandIfSingleRoom();
  void ShowLoadReport(TProgressDlg& dlg);
  void ApplyColor();
  void SetStatus(const QString& text);
  void ClearView();
  void TakeScreenshot();
  std::vector<std::string> Args() const { return FArgs; }

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
  QPointer<QWidget> FView;
  bool FBrowserView = false;
  bool FOldSystem = false;
  std::vector<std::string> FRecentFolders;
  std::vector<std::string> FLogSets;
  LogFiles FLogFiles;
  MessageTree FTree;  // refers to FLogFiles' messages; emptied before any file is destroyed
  FontSpec FBaseFont;
  FontSpec FKeyFont;
  QObject* FRequester = nullptr;
  const TLogMessage* FCurrentMessage = nullptr;
  QElapsedTimer FRequestTick;
  bool FUpdatePending = false;
  int FShowRequests = 0;

  TColor FColor = kClWindow;
  bool FSplitVertical = true;
  std::string FInterwayPrefix = kDefaultInterwayPrefix;
  bool FTreeChangeDetached = false;
  bool FShownOnce = false;
  bool FClosingAsked = false;
};

}  // namespace yuzulog
