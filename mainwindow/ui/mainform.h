// The main window: the control bar with its three tool bars, the tree of rooms and threads, the
// message view and the status bar. It is a view of the workspace: it asks the workspace to load,
// show and go to messages, and follows what the workspace tells it.
//
// Its members are defined in the mainform*.cpp files, each named for its part; the commands,
// menus and tool bars are built by maincommands.cpp.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/messagecopies.h"
#include "mainwindow/readon.h"
#include "mainwindow/ui/maincommands.h"
#include "workspace/renderscheduler.h"
#include "workspace/workspace.h"

class QLabel;
class QSplitter;
class QTimer;
class QTreeView;

namespace yuzulog {

class MessageTreeModel;
class MessageView;
class SearchWindow;
class ToolWindow;
struct PageStyle;

class TMainForm : public QMainWindow, private WorkspaceObserver {
  Q_OBJECT
 public:
  // args: the program's arguments, argument 0 being its own path. Unknown keys among them are
  // reported on stderr and ignored. workspace must outlive the window.
  TMainForm(Workspace& workspace, const std::vector<std::string>& args, QWidget* parent = nullptr);
  // A window with a workspace of its own (the tests).
  explicit TMainForm(const std::vector<std::string>& args, QWidget* parent = nullptr);
  ~TMainForm() override;

  Workspace& Space() { return FWorkspace; }
  const LogFiles& Files() const { return FWorkspace.Files(); }
  const TLogMessage* CurrentMessage() const { return FWorkspace.Shown().Message; }
  std::string GetParamValue(std::string_view key) const;

  // A settings file that exists but cannot be read is told in a box and not written at the end.
  void LoadSettings(const std::string& dir);
  // False (told in a box) when the main settings file or a list file could not be written.
  bool SaveSettings(const std::string& dir);

  void LoadFileList(const std::vector<std::string>& paths, bool add);
  void RemoveLogFiles(const std::vector<const TLogData*>& files);
  void SetSplitVertical(bool vertical);

  // True while a drawing is owed or the browser view is loading the last page drawn.
  bool ViewBusy() const;
  // Shows the message; false (after a box that says so) when no loaded file holds it.
  bool GotoMessage(MessageAddress target);

  // The search window, created right after this window and kept for the run; it must outlive
  // this window's use of it or be disconnected (nullptr) first. Connecting enables the search
  // commands and gives the result list this window's colour and font.
  void SetSearchWindow(SearchWindow* window);
  // The windows of the export and statistics commands (mainform_tools.cpp); each must outlive
  // this window's use of it. A command is enabled once its window is given.
  void SetToolWindows(ToolWindow* exporter, ToolWindow* stats);

  std::function<bool()> ShiftHeld;  // whether Shift is held; tests replace it
  // Called when the program is to end: by the exit command or at the end of a "Screenshot:" run
  // (without the close question), and once the window has been closed. The program's run quits
  // its event loop here, leaving the other windows as they are.
  std::function<void()> OnExit;
  // Whether a "Screenshot:" run failed to write its images (the run then ends unsuccessfully).
  bool ScreenshotFailed() const { return FScreenshotFailed; }
  // The bookmark list (Ctrl+B) is another feature's window: the program shows it over the store
  // it is given, and reads it again when BookmarksChanged is called (after Ctrl+D or a load).
  std::function<void(MarkStore& store)> ShowBookmarkList;
  std::function<void()> BookmarksChanged;
  // Whether the message a bookmark names is loaded now.
  bool IsLoaded(const MarkKey& key) const;
  // Shows the loaded copy of the message key names; when none is loaded, goes to its room and
  // number as the go-to command does. False when nothing was shown.
  bool ShowBookmark(const MarkKey& key);

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
  void ActionExportExecute();
  void ActionStatsExecute();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Files dropped on the window are opened as the open command opens them; with Shift, added.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TMainForm(std::unique_ptr<Workspace> own, Workspace* shared, const std::vector<std::string>& args,
            QWidget* parent);

  // WorkspaceObserver (mainform_view.cpp)
  void MessagesAboutToBeForgotten() override;
  void MessagesForgotten() override;
  void TreeRebuilt() override;
  void ShowRequested(const ShowRequest& request) override;
  void ListsChanged() override;
  // (mainform_marks.cpp)
  void ReadMarksChanged(const ReadMarksChange& change) override;
  void FilesChanged() override;

  void FormCreate();
  void CreateTree();
  void Connect();
  void FormShow();
  void SearchAtStart();  // the "Search:" keys, once the given files have loaded
  void SetStatus(const QString& text);
  // "Screenshot:": once the view has drawn what was asked and the page has loaded.
  void TakeScreenshotWhenSettled();

  // The open dialog (several files, each must exist), starting in folder; empty: cancelled.
  std::vector<std::string> ChooseLogFiles(const QString& folder = {});
  // Loads paths replacing what is loaded; with files loaded and Shift held, first asks the
  // question whether to add them (Yes), replace (No) or do nothing (Cancel).
  void LoadAskingForAddMode(const std::vector<std::string>& paths, const QString& question,
                            const QString& caption);
  void ExpandIfSingleRoom();
  bool ShowLoadReport();  // true when the person asked to see the log list
  void ActionLogDataExecute();

  void RecentFolderClick(int index);
  void PopupMenuLogSetPopup();
  void AddLogSetMenuClick();
  void RemoveLogSetMenuClick();
  void LogSetClick(int index);

  void ActionFontSelectExecute();
  void ActionKeyFontSelectExecute();
  void BkColorClick();
  void ActionWordWrapExecute();
  void ActionAboutExecute();
  void ApplyColor();
  void ApplyFontToResultList();

  void TreeViewChange(const QModelIndex& current);
  void TreeViewMouseDown(const QPoint& at);
  QRect LabelRect(const QModelIndex& index) const;
  void SelectMessageNode(const TLogMessage& message);

  void CreateView(int mode);
  void Draw(const ShowRequest& request);  // the render scheduler's call
  void RenderTimerFired();
  PageStyle CurrentPageStyle() const;

  // The whole thread on one page, and reading on with the keys (mainform_thread.cpp).
  void ConnectThreadCommands();
  void ActionThreadPageExecute();
  // Draws request as a thread page, or goes to its entry when the page shows it; false when the
  // message is to be drawn alone.
  bool DrawThread(const ShowRequest& request);
  void ForgetThreadPage();
  void ReadOn(bool back);            // Space, Shift+Space
  void StepMessage(bool forward);    // N, P
  void PagePassed(double from);      // the reader scrolled from there
  std::int32_t CurrentNode() const;  // the shown message's node, else the tree's current one
  void SelectNode(std::int32_t node);
  // Read marks and bookmarks (mainform_marks.cpp).
  void ConnectMarks();
  // Opens the mark store of the settings folder dir; a problem is told once.
  void OpenMarks(const std::string& dir);
  void ShowMarksProblem(const QString& text);
  // "Mark read" / "mark unread" on the node the tree's menu was opened on and all under it.
  void MarkTreeNode(bool read);
  void ActionShowUnreadExecute(bool show);
  // The store for a bookmark gesture; without one the status line says why.
  MarkStore* BookmarkStore();
  void ActionBookmarkExecute();
  void ActionBookmarkListExecute();

  std::unique_ptr<Workspace> FOwnWorkspace;  // only for a window made without one
  Workspace& FWorkspace;
  // The keys (what GetParamValue looks through), and the log files to open.
  std::vector<std::string> FArgs;
  std::vector<std::string> FFileArgs;
  QString FScreenshotPath;
  bool FScreenshotFailed = false;
  bool FOldSystem = false;

  MainCommands commands;
  QSplitter* splitter = nullptr;
  QTreeView* treeView = nullptr;
  MessageTreeModel* treeModel = nullptr;
  QLabel* statusLabel = nullptr;
  std::unique_ptr<MessageView> view;  // its control is a child of splitter
  std::vector<QAction*> logSetItems;  // the set items of the log-set menu, before the separator

  // The deferred drawing: restarted by every request, it fires after 100 ms without one.
  QTimer* renderTimer = nullptr;
  std::unique_ptr<RenderScheduler> FScheduler;
  SearchWindow* FSearchWindow = nullptr;
  ToolWindow* FExportWindow = nullptr;
  ToolWindow* FStatsWindow = nullptr;
  SettingsReport FSettingsReport;  // from LoadSettings to SaveSettings
  bool FShownOnce = false;
  std::unique_ptr<MessageCopies> FCopies;       // built for the first thread page after a rebuild
  ShownThreadPage FThreadPage;                  // what the view shows of a thread
  std::int32_t FMenuNode = MessageTree::kNone;  // the node the tree's menu was opened on
  bool FMarksProblemTold = false;
};

}  // namespace yuzulog
