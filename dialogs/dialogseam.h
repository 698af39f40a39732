// Every message box, question box and file dialog of the windows goes through one seam, so tests
// can answer them. The default seam shows the real boxes; tests install a scripted one.
#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

class QWidget;

namespace yuzulog {

// Modal results as the windows and their callers use them.
enum ModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrYes = 6,
  mrNo = 7,
  mrNoToAll = 9,
  mrYesToAll = 10,
};

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Question, Warning, Error };

class DialogSeam {
 public:
  virtual ~DialogSeam() = default;
  // A standard message box; returns the pressed button's modal result (mrCancel when closed, or
  // the box's only button's result when it has one).
  virtual int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                         MsgButtons buttons, MsgIcon icon, int defaultResult) = 0;
  // The file-open dialog allowing several existing files; empty when cancelled.
  virtual QStringList GetOpenFileNames(QWidget* parent, const QString& caption,
                                       const QString& folder, const QString& filter) = 0;
  virtual void ShowTimedNotice(const QString& text, int intervalMs) = 0;
  virtual int AskYesNoAll(const QString& text, const QString& caption, int defaultResult,
                          Qt::Alignment alignment) = 0;
};

// The seam in use (the real boxes unless a test installed its own).
DialogSeam& Dialogs();
// Installs seam (nullptr: back to the real boxes). The caller keeps ownership.
void SetDialogSeam(DialogSeam* seam);

// Boxes for a run with nobody at the screen (the "Screenshot:" run): each box is written to
// stderr and answered with the answer that changes nothing (No, Cancel, go on); file dialogs
// choose nothing and notices do not wait.
DialogSeam& UnattendedDialogs();

// The filter of the log-file dialogs, in the file dialog's notation.
QString LogFileFilter();

}  // namespace yuzulog
