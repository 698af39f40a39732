// Every message box, question box and file dialog of the windows goes through one seam, so tests
// can answer them. The default seam shows the real boxes; tests install a scripted one.
#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

class QDialog;
class QWidget;

namespace yuzulog {

// How a modal box or window ended. The values are the result codes the boxes close with
// (QDialog::done), so a box's exec() converts back without a table.
enum class ModalResult : int {
  None = 0,
  Ok = 1,
  Cancel = 2,
  Abort = 3,
  Yes = 6,
  No = 7,
  NoToAll = 9,
  YesToAll = 10,
};

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Question, Warning, Error };

class DialogSeam {
 public:
  virtual ~DialogSeam() = default;
  // A standard message box; returns the pressed button's result (Cancel when closed, or the
  // box's only button's result when it has one).
  virtual ModalResult MessageBox(QWidget* parent, const QString& text, const QString& caption,
                                 MsgButtons buttons, MsgIcon icon, ModalResult defaultResult) = 0;
  // The file-open dialog allowing several existing files; empty when cancelled.
  virtual QStringList GetOpenFileNames(QWidget* parent, const QString& caption,
                                       const QString& folder, const QString& filter) = 0;
  // The file-save dialog: a new or existing file (the caller asks about overwriting); a name
  // typed without an extension gets defaultSuffix. Empty when cancelled.
  virtual QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                  const QString& defaultSuffix) = 0;
  virtual void ShowTimedNotice(const QString& text, int intervalMs) = 0;
  virtual ModalResult AskYesNoAll(const QString& text, const QString& caption,
                                  ModalResult defaultResult, Qt::Alignment alignment) = 0;
  // Shows a dialog of the program's own modally (the go-to dialog, the input dialog) and returns
  // how it ended.
  virtual ModalResult Execute(QDialog& dialog) = 0;
};

// The seam in use (the real boxes unless a test installed its own).
DialogSeam& Dialogs();
// Installs seam (nullptr: back to the real boxes). The caller keeps ownership.
void SetDialogSeam(DialogSeam* seam);

// Boxes for a run with nobody at the screen (the "Screenshot:" run): each box is written to
// stderr and answered with the answer that changes nothing (No, Cancel, go on); file dialogs
// choose nothing and notices do not wait.
DialogSeam& UnattendedDialogs();

// The filter of the log-file dialogs, in the file dialog's notation; the first one takes both
// kinds of log file.
QString LogFileFilter();

}  // namespace yuzulog
