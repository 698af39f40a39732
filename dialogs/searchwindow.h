// What the main window asks of the search window and hears from it. The two windows know each
// other only through this; what they share otherwise (the results, the shown message and its
// hits) is the workspace's.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace yuzulog {

class SearchWindow {
 public:
  virtual ~SearchWindow() = default;
  // The window itself, which the search command shows, hides and brings to the front.
  virtual QWidget& Window() = 0;
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

  // Told when the program shows or hides the window, and when its form style changes; the main
  // window's check marks follow.
  std::function<void(bool shown)> OnShownChanged;
  std::function<void(bool on)> OnStayOnTopChanged;
};

}  // namespace yuzulog
