// The main window: the control bar with its three tool bars, the tree of rooms and threads, the
// message view, the status bar, and the loading of log files into the tree.
//
// The class is defined in eight files: mainform.cpp (creation, settings, closing and the wiring
// between the parts), mainform_actions.cpp (the commands, menus and tool bars), mainform_load.cpp
// (the load commands, dropped files and the answers to the load loop's questions),
// mainform_lists.cpp (recent folders and log sets), mainform_navigation.cpp (the tree's events,
// go-to, back and copy), mainform_options.cpp (the view options, the log list and the About box),
// mainform_search.cpp (the search window's commands and what the window hands it) and
// mainform_view.cpp (the message view: its creation, the show requests and their deferred
// drawing, the page files and the links).
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "common/fontspec.h"
#include "logdata/logfiles.h"
#include "mainwindow/history.h"
#include "mainwindow/messagetree.h"
#include "mainwindow/settings.h"
#include "platform/temppagefiles.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class QTimer;
class QTreeView;
class QUrl;

namespace yuzulog {

class MessageTreeModel;
class SearchWindow;
class TProgressDlg;
struct PageStyle;

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  // args: the program's arguments, argument 0 being its own path. Unknown keys among them are
  // reported on stderr and ignored.
  explicit TMainForm(const std::vector<std::string>& args, QWidget* parent = nullptr);
  ~TMainForm() override;

  std::string GetParamValue(std::string_view key) const;

  // A settings file that exists but cannot be read is told in a box and not written at the end.
  void LoadSettings(const std::string& dir);
  // False (told in a box) when the main settings file or a list file could not be written.
  bool SaveSettings(const std::string& dir);

  // Loading (replace or add) through the progress window.
  void LoadFileList(const std::vector<std::string>& paths, bool add);
  // Empties everything that refers to loaded messages and blanks the view.
  void ClearViews();
  void RemoveLogFiles(const std::vector<const TLogData*>& files);
  void SetSplitVertical(bool vertical);

  // Every source of navigation (the tree, the search window's result list, the view options,
  // go-to, links, back) asks for a message here; none is drawn at once. The drawing follows
  // once requests have been quiet for 100 ms, so a burst (an arrow key held in the tree) draws
  // only the last message. requester: TreeView1, the window itself (a view option changed) or
  // the search window's result list (its hits are then drawn in the key font).
  void RequestShow(QObject* requester, const TLogMessage* message);
  const TLogMessage* CurrentMessage() const { return FCurrentMessage; }
  QObject* Requester() const { return FRequester; }
  // Draws the current message into the browser view at once, without a request (after the
  // background colour changed). Throws TempPageError when the page file cannot be written.
  void RenderPage();
  // True while a drawing is owed or the browser view is loading the last page drawn.
  bool ViewBusy() const;
  // Selects the message's node, which shows it; false (after a box that says so) when no loaded
  // file holds it.
  bool GotoMessage(MessageAddress target);

  // The search window's part in a drawing: the control that stands for its result list as a
  // requester, and the keyword hits of a message as (offset from HeadStart, length) pairs in
  // bytes. Both views draw the hits only when that control asked for the message.
  struct HitSource {
    QObject* ResultList = nullptr;
    std::function<void(std::vector<std::int64_t>& pairs, const TLogMessage& message)> GetHitRanges;
  };
  void SetHitSource(HitSource source) { FHitSource = std::move(source); }

  // The loaded files, for the windows that work on them.
  const LogFiles& Files() const { return FLogFiles; }
  int TreeNodeCount() const { return FTree.NodeCount(); }

  // The search window, created right after this window and kept for the run; it must outlive
  // this window's use of it or be disconnected (nullptr) first. Connecting enables the search
  // commands and gives the result list this window's colour and font.
  void SetSearchWindow(SearchWindow* window);
  // The search window reports its state: the check mark of the menu item Search1 follows its
  // visibility, that of the stay-on-top command its form style.
  void MarkSearchShown(bool shown);
  void MarkSearchStayOnTop(bool on);

  // Recent folders and log sets (mainform_lists.cpp).
  // Records the folder of a chosen file at the top of the recent folders.
  void AddRecentFolder(const std::string& path);
  void UpdateRecentMenu();
  // Registers the loaded files as the log set name (asks before replacing a set of that name).
  void RegisterLogSet(const std::string& name);
  void UpdateLogSetMenu();
  const std::vector<std::string>& RecentFolders() const { return FRecentFolders; }
  const std::vector<std::string>& LogSets() const { return FLogSets; }

  // Whether Shift is held; tests replace it.
  std::function<bool()> ShiftHeld;
  // Called when the program is to end: by the exit command or at the end of a "Screenshot:" run
  // (without the close question), and once the window has been closed. The program's run quits
  // its event loop here, leaving the other windows as they are.
  std::function<void()> OnExit;

 signals:
  // A deferred drawing of the view has ended (also when it failed); the browser view loads the
  // page after this.
  void ViewDrawn();

 public slots:
  void ActionOpenArchiveExecute();
  void ActionAddArchiveExecute();
  void ActionExitExecute();
  void ActionGotoMsgExecute();
  void ActionPrevExecute();
  void ActionCopyCurrentMsgExecute();
  void ActionSearchExecute();
  void ActionSearchStayOnTopExecute();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Files dropped on the window are opened as the open command opens them; with Shift, added.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class LoadCallbacksImpl;

  // mainform.cpp
  void FormCreate();
  void CreateTree();
  void FormShow();
  // Selecting a node no longer asks for its message (the window is closing).
  void DetachTreeChange();
  void SetStatus(const QString& text);
  // "Screenshot:": once the view has drawn what was asked and the page has loaded.
  void TakeScreenshotWhenSettled();
  void TakeScreenshot();

  // mainform_actions.cpp
  void CreateActions();
  void CreateMenus();
  void CreateToolBars();
  QToolButton* MenuButton(const QString& caption, QMenu* menu);

  // mainform_load.cpp
  // The open dialog (several files, each must exist), starting in folder; empty when it is
  // cancelled.
  std::vector<std::string> ChooseLogFiles(const QString& folder = {});
  // Loads paths replacing what is loaded; with files loaded and Shift held, first asks the
  // question whether to add them (Yes), replace (No) or do nothing (Cancel).
  void LoadAskingForAddMode(const std::vector<std::string>& paths, const QString& question,
                            const QString& caption);
  void TreeBuilt();
  // Empties the history, the current message and the tree (nothing then refers to a loaded
  // message).
  void ForgetMessages();
  void ExpandIfSingleRoom();
  // The report after a load; true when the person asked to see the log list.
  bool ShowLoadReport();

  // mainform_lists.cpp
  void RecentFolderClick(int index);
  void PopupMenuLogSetPopup();
  void AddLogSetMenuClick();
  void RemoveLogSetMenuClick();
  void LogSetClick(int index);
  // The paths of the set named by the "LogSet:" key, or none.
  std::vector<std::string> LogSetOfCommandLine() const;

  // mainform_options.cpp
  void ActionFontSelectExecute();
  void ActionKeyFontSelectExecute();
  void BkColorClick();
  void ActionWordWrapExecute();
  void ToolBtnSplitClick();
  void ActionAboutExecute();
  void ActionLogDataExecute();

  // mainform_navigation.cpp
  void TreeView1Change(const QModelIndex& current);
  void TreeView1MouseDown(const QPoint& at);
  // The rectangle of a node's label, without the indentation and the expander.
  QRect LabelRect(const QModelIndex& index) const;
  // Makes the message's node the tree's current node (which shows it through TreeView1Change).
  void SelectMessageNode(const TLogMessage& message);

  // mainform_search.cpp
  // The result list follows the window's colour and message font unless FOldSystem.
  void ApplyColorToResultList();
  void ApplyFontToResultList();
  // The "Search:" keys, once the given files have loaded.
  void SearchAtStart();

  // mainform_view.cpp
  void CreateView(int mode);
  void ClearView();
  void ApplyColor();
  // Runs when show requests have been quiet for 100 ms: draws the last one.
  void AppIdle();
  void RenderRichText();
  // The fonts, colour and word wrap the pages are written with.
  PageStyle CurrentPageStyle() const;
  // Writes a page into a new page file and points the browser at it.
  void ShowPageFile(const std::string& page);
  bool HitsRequested() const;
  bool FViewBeforeNavigate2(const QUrl& url, bool historyStep);
  void FViewDocumentComplete();

  // Argument 0 and the keys (what GetParamValue looks through), and the log files to open.
  std::vector<std::string> FArgs;
  std::vector<std::string> FFileArgs;
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
  QAction* Search1 = nullptr;  // the search command's menu item, with the window's check mark
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
  QAction* LogSetSeparator = nullptr;
  std::vector<QAction*> FLogSetItems;  // the set items of PopupMenuLogSet, before the separator

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
  // The deferred drawing: restarted by every request, it fires after 100 ms without one.
  QTimer* FRenderTimer = nullptr;
  bool FUpdatePending = false;                // a drawing is owed
  bool FRenderReady = true;                   // no drawing is running
  MessageHistory FHistory;                    // refers to loaded messages; emptied with the tree
  std::unique_ptr<TempPageFiles> FTempFiles;  // the browser view's page files, oldest first
  bool FPageLoading = false;                  // the browser view is loading a page
  std::string FInterwayPrefix;
  HitSource FHitSource;

  SearchWindow* FSearchWindow = nullptr;

  TColor FColor = kClWindow;
  SettingsReport FSettingsReport;  // from LoadSettings to SaveSettings
  bool FSplitVertical = true;
  bool FShownOnce = false;
};

}  // namespace yuzulog
