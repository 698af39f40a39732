// The view options (message and key fonts, background colour, word wrap, the split) and the
// commands that open the log list and the About box. The search window's commands are its own.
#include <QAction>
#include <QColorDialog>
#include <QFontDialog>
#include <QSplitter>
#include <QTextEdit>
#include <QTreeView>

#include "dialogs/aboutbox.h"
#include "dialogs/dialogseam.h"
#include "dialogs/loglistform.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/qtfont.h"
#include "mainwindow/ui/searchwindow.h"

namespace yuzulog {

void TMainForm::ActionFontSelectExecute() {
  QFontDialog dialog(ToQFont(FBaseFont), this);
  if (Dialogs().Execute(dialog) != ModalResult::Ok) return;
  WaitCursor wait;
  FBaseFont = FromQFont(dialog.currentFont(), FBaseFont);
  // The key font follows the face and size; its colour and style stay.
  FKeyFont.Name = FBaseFont.Name;
  FKeyFont.Size = FBaseFont.Size;
  RequestShow(this, FCurrentMessage);
  // The tree and the search window's result list take the font also in the old system's colours
  // (their text keeps the system's colour).
  TreeView1->setFont(ToQFont(FBaseFont));
  if (FSearchWindow) FSearchWindow->SetResultListFont(ToQFont(FBaseFont));
}

void TMainForm::ActionKeyFontSelectExecute() {
  QFontDialog dialog(ToQFont(FKeyFont), this);
  if (Dialogs().Execute(dialog) != ModalResult::Ok) return;
  // Nothing is drawn again: the next drawing with hits uses it.
  FKeyFont = FromQFont(dialog.currentFont(), FKeyFont);
}

void TMainForm::BkColorClick() {
  QColorDialog dialog(ToQColor(FColor), this);
  if (Dialogs().Execute(dialog) != ModalResult::Ok) return;
  FColor = FromQColor(dialog.currentColor());
  ApplyColor();
  // The rich-text view follows its palette; the browser view's page carries the colour, so the
  // page is made again at once, for the same message and requester.
  if (qobject_cast<QTextEdit*>(FView)) return;
  try {
    RenderPage();
  } catch (const std::exception& e) {
    Dialogs().MessageBox(this, QString::fromUtf8(e.what()), ApplicationTitle(), MsgButtons::Ok,
                         MsgIcon::Error, ModalResult::Ok);
  }
}

void TMainForm::ActionWordWrapExecute() {
  // The action ticks itself; the drawing reads the tick.
  RequestShow(this, FCurrentMessage);
}

void TMainForm::ToolBtnSplitClick() {
  SetSplitVertical(!FSplitVertical);
}

void TMainForm::ActionAboutExecute() {
  TAboutBox box(this);
  Dialogs().Execute(box);
}

void TMainForm::ActionLogDataExecute() {
  TLogListForm form(
      FLogFiles, [this](const std::vector<const TLogData*>& files) { RemoveLogFiles(files); },
      this);
  form.FillLogList();
  Dialogs().Execute(form);
}

}  // namespace yuzulog
