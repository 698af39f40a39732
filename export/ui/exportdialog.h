// The export window: format, destination and what to export (everything loaded, or the messages
// chosen in the search window's result list). It runs the export in the progress window, which
// can cancel it, and at the end names the destination and offers to open it. It takes what it
// exports as plain parameters, so whichever window owns the loaded files can open it.
#pragma once

#include <QDialog>
#include <vector>

#include "dialogs/toolwindow.h"
#include "export/export.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace yuzulog {

class Workspace;

class TExportDialog : public QDialog {
  Q_OBJECT
 public:
  // files and tree: what is loaded (the tree built from files); chosen: the messages chosen in
  // the result list, empty when there are none. All must outlive the dialog.
  TExportDialog(QWidget* owner, const LogFiles& files, const MessageTree& tree,
                std::vector<const TLogMessage*> chosen);

  ExportFormat Format() const;
  QString Destination() const;
  bool ChosenOnly() const;
  // The outcome of the last export run from the dialog.
  const ExportResult& Result() const { return FResult; }

  // OK: asks before replacing an existing destination, runs the export in the progress window and
  // closes the dialog when it completed (a failure is shown and the dialog stays).
  void accept() override;

 private:
  void FormatChanged();
  void Browse();

  const LogFiles& FFiles;
  const MessageTree& FTree;
  std::vector<const TLogMessage*> FChosen;
  ExportResult FResult;
  QComboBox* FormatBox = nullptr;
  QLineEdit* DestinationEdit = nullptr;
  QPushButton* BrowseBtn = nullptr;
  QCheckBox* FtsBox = nullptr;
  QRadioButton* AllRadio = nullptr;
  QRadioButton* ChosenRadio = nullptr;
};

// The main window's export command: the dialog over the workspace's files and tree, offering the
// messages of the rows chosen in the search window's result list. With nothing loaded a box says
// so instead.
class ExportCommand final : public ToolWindow {
 public:
  // workspace must outlive the command.
  explicit ExportCommand(Workspace& workspace) : FWorkspace(workspace) {}
  void Open(QWidget* owner) override;

 private:
  Workspace& FWorkspace;
};

}  // namespace yuzulog
