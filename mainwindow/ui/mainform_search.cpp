// The main window's side of the search window: the commands that show it and keep it in front,
// the check marks it reports, the colour and font its result list takes, and the "Search:" keys.
#include <QAction>
#include <QWidget>

#include "mainwindow/cmdline.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/qtfont.h"
#include "mainwindow/ui/searchwindow.h"

namespace yuzulog {

void TMainForm::SetSearchWindow(SearchWindow* window) {
  FSearchWindow = window;
  ActionSearch->setEnabled(window != nullptr);
  Search1->setEnabled(window != nullptr);
  ActionSearchStayOnTop->setEnabled(window != nullptr);
  if (!window) return;
  // Its shortcut works while the search window has the focus too.
  window->Window().addAction(ActionSearch);
  ApplyColorToResultList();
  ApplyFontToResultList();
  MarkSearchShown(window->Window().isVisible());
  MarkSearchStayOnTop(window->StayOnTop());
}

void TMainForm::MarkSearchShown(bool shown) {
  Search1->setChecked(shown);
}

void TMainForm::MarkSearchStayOnTop(bool on) {
  ActionSearchStayOnTop->setChecked(on);
}

void TMainForm::ActionSearchExecute() {
  if (!FSearchWindow) return;
  QWidget& w = FSearchWindow->Window();
  // In front of everything, the window is toggled; otherwise the command always brings it up.
  if (FSearchWindow->StayOnTop() && w.isVisible()) {
    w.hide();
  } else {
    w.show();
    w.raise();
    w.activateWindow();
  }
  // Triggering the menu item flipped its mark; it follows the window alone.
  MarkSearchShown(w.isVisible());
}

void TMainForm::ActionSearchStayOnTopExecute() {
  // The command's own mark has flipped; the window's form style follows it.
  if (FSearchWindow) FSearchWindow->SetStayOnTop(ActionSearchStayOnTop->isChecked());
}

void TMainForm::ApplyColorToResultList() {
  if (FSearchWindow && !FOldSystem) FSearchWindow->SetResultListColor(ToQColor(FColor));
}

void TMainForm::ApplyFontToResultList() {
  if (FSearchWindow && !FOldSystem) FSearchWindow->SetResultListFont(ToQFont(FBaseFont));
}

void TMainForm::SearchAtStart() {
  const std::vector<std::string> words = GetParamValues(FArgs, kSearchKey, kMaxSearchKeys);
  if (!FSearchWindow || words.empty()) return;
  std::vector<QString> keywords;
  for (const std::string& w : words)
    keywords.push_back(QString::fromLocal8Bit(w));
  FSearchWindow->SearchFor(keywords);
}

}  // namespace yuzulog
