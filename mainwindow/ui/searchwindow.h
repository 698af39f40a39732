// What the main window asks of the search window. The search window (TSearchForm, search/ui/)
// knows the main window; the main window knows it only through this, so the two windows' libraries
// depend one way.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <vector>

class QWidget;

namespace yuzulog {

class SearchWindow {
 public:
  virtual ~SearchWindow() = default;
  // The window itself, which the search command shows, hides and brings to the front.
  virtual QWidget& Window() = 0;
  // Enables the run button and the narrowing box for what is loaded and typed; true when a search
  // can run. Called after logs were loaded or closed.
  virtual bool UpdateSearchEnabled() = 0;
  // Empties the result list and the status bar: the messages they name may be about to go.
  virtual void ClearResults() = 0;
  // The result list takes the main window's background colour and message font (unless the old
  // system's colours were asked for).
  virtual void SetResultListColor(const QColor& color) = 0;
  virtual void SetResultListFont(const QFont& font) = 0;
  // The window's form style: in front of every other window, or normal.
  virtual bool StayOnTop() const = 0;
  virtual void SetStayOnTop(bool on) = 0;
  // The "Search:" keys: the words go into the keyword fields in order, the window is shown and,
  // when a search can run, searches and shows its first hit.
  virtual void SearchFor(const std::vector<QString>& keywords) = 0;
};

}  // namespace yuzulog
