// The main window's statistics command: the statistics window over the workspace. It follows
// every load, add and removal, and a writer chosen in it becomes a search whose results come up
// in the search window.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "dialogs/toolwindow.h"
#include "workspace/workspace.h"

namespace yuzulog {

class TStatsWindow;

class StatsTool final : public QObject, public ToolWindow, private WorkspaceObserver {
  Q_OBJECT
 public:
  // The window is made at once, hidden: it counts nothing until it is shown. workspace must
  // outlive the tool.
  explicit StatsTool(Workspace& workspace);
  ~StatsTool() override;

  // Shows the window and brings it to the front; it is a window of its own, not owned by owner.
  void Open(QWidget* owner) override;
  TStatsWindow& Window() { return *FWindow; }

  // "Stats.INI" in dir: read after the main window's settings, written after them.
  void LoadSettings(const std::string& dir);
  bool SaveSettings(const std::string& dir);

 private:
  // WorkspaceObserver: the files may change from the first notice on; the window holds its
  // figures until the change has ended.
  void MessagesAboutToBeForgotten() override;
  void FilesChanged() override;

  void SearchWriter(const QString& id);

  Workspace& FWorkspace;
  std::unique_ptr<TStatsWindow> FWindow;
};

}  // namespace yuzulog
