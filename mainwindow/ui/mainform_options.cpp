// The view options (message and key fonts, background colour, word wrap) and the About box.
// Each option goes into the workspace's settings, which the drawing reads.
#include <QAction>
#include <QColorDialog>
#include <QFontDialog>
#include <QTreeView>

#include "dialogs/aboutbox.h"
#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/qtfont.h"
#include "dialogs/qthelpers.h"
#include "dialogs/searchwindow.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/messageview.h"

namespace yuzulog {

void TMainForm::ActionFontSelectExecute() {
  MainSettings s = FWorkspace.Settings();
  QFontDialog dialog(ToQFont(s.BaseFont), this);
  if (Dialogs().Execute(dialog) != ModalResult::Ok) return;
  WaitCursor wait;
  s.BaseFont = FromQFont(dialog.currentFont(), s.BaseFont);
  // The key font follows the face and size; its colour and style stay.
  s.KeyFont.Name = s.BaseFont.Name;
  s.KeyFont.Size = s.BaseFont.Size;
  FWorkspace.SetSettings(s);
  FWorkspace.ShowAgain();
  // The tree and the search window's result list take the font also in the old system's colours
  // (their text keeps the system's colour).
  treeView->setFont(ToQFont(s.BaseFont));
  if (FSearchWindow) FSearchWindow->SetResultListFont(ToQFont(s.BaseFont));
}

void TMainForm::ActionKeyFontSelectExecute() {
  MainSettings s = FWorkspace.Settings();
  QFontDialog dialog(ToQFont(s.KeyFont), this);
  if (Dialogs().Execute(dialog) != ModalResult::Ok) return;
  // Nothing is drawn again: the next drawing with hits uses it.
  s.KeyFont = FromQFont(dialog.currentFont(), s.KeyFont);
  FWorkspace.SetSettings(s);
}

void TMainForm::BkColorClick() {
  MainSettings s = FWorkspace.Settings();
  QColorDialog dialog(ToQColor(s.Color), this);
  if (Dialogs().Execute(dialog) != ModalResult::Ok) return;
  s.Color = FromQColor(dialog.currentColor());
  FWorkspace.SetSettings(s);
  ApplyColor();
  // A view that shows the colour only in a new drawing draws at once, for the same request.
  if (!view->ApplyColor(s.Color)) return;
  try {
    Draw(FWorkspace.Shown());
  } catch (const std::exception& e) {
    Dialogs().MessageBox(this, QString::fromUtf8(e.what()), ApplicationTitle(), MsgButtons::Ok,
                         MsgIcon::Error, ModalResult::Ok);
  }
}

void TMainForm::ActionWordWrapExecute() {
  MainSettings s = FWorkspace.Settings();
  s.WordWrap = commands.wordWrap->isChecked();
  FWorkspace.SetSettings(s);
  FWorkspace.ShowAgain();
}

// The background colour reaches the view, and the tree and the result list unless the old
// system's colours were asked for.
void TMainForm::ApplyColor() {
  const TColor color = FWorkspace.Settings().Color;
  view->ApplyColor(color);
  if (FOldSystem) return;
  QPalette p = treeView->palette();
  p.setColor(QPalette::Base, ToQColor(color));
  treeView->setPalette(p);
  if (FSearchWindow) FSearchWindow->SetResultListColor(ToQColor(color));
}

void TMainForm::ApplyFontToResultList() {
  if (FSearchWindow && !FOldSystem)
    FSearchWindow->SetResultListFont(ToQFont(FWorkspace.Settings().BaseFont));
}

void TMainForm::ActionAboutExecute() {
  TAboutBox box(this);
  Dialogs().Execute(box);
}

}  // namespace yuzulog
