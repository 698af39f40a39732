// The main window's side of the search window: the commands that show it and keep it in front,
// the check marks that follow it, the colour and font its result list takes, and the "Search:"
// keys.
#include <QAction>
#include <QWidget>

#include "dialogs/qtfont.h"
#include "dialogs/searchwindow.h"
#include "mainwindow/cmdline.h"
#include "mainwindow/ui/mainform.h"

namespace yuzulog {

void TMainForm::SetSearchWindow(SearchWindow* window) {
  if (FSearchWindow) FSearchWindow->OnShownChanged = FSearchWindow->OnStayOnTopChanged = nullptr;
  FSearchWindow = window;
  commands.search->setEnabled(window != nullptr);
  commands.searchMenuItem->setEnabled(window != nullptr);
  commands.searchStayOnTop->setEnabled(window != nullptr);
  if (!window) return;
  // Its shortcut works while the search window has the focus too.
  window->Window().addAction(commands.search);
  window->OnShownChanged = [this](bool shown) { commands.searchMenuItem->setChecked(shown); };
  window->OnStayOnTopChanged = [this](bool on) { commands.searchStayOnTop->setChecked(on); };
  ApplyColor();
  ApplyFontToResultList();
  commands.searchMenuItem->setChecked(window->Window().isVisible());
  commands.searchStayOnTop->setChecked(window->StayOnTop());
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
  commands.searchMenuItem->setChecked(w.isVisible());
}

void TMainForm::ActionSearchStayOnTopExecute() {
  // The command's own mark has flipped; the window's form style follows it.
  if (FSearchWindow) FSearchWindow->SetStayOnTop(commands.searchStayOnTop->isChecked());
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
