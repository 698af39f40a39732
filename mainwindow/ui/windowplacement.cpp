#include "mainwindow/ui/windowplacement.h"

#include <QEvent>
#include <QMainWindow>
#include <QResizeEvent>
#include <QSplitter>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "dialogs/qthelpers.h"

namespace yuzulog {
namespace {

// The browser view has the window's native window made anew as the window is first shown; the
// window system opens the new one at the normal size, and the window follows it. The maximised or
// minimised state goes to each new native window once it is up.
class StateKeeper final : public QObject {
 public:
  explicit StateKeeper(QWidget& window) : QObject(&window), FWindow(window) {
    setObjectName(QStringLiteral("StateKeeper"));
    window.installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::WinIdChange) return false;
    const Qt::WindowStates state =
        FWindow.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized);
    if (state != Qt::WindowNoState)
      QTimer::singleShot(0, this, [this, state] {
        if (QWindow* native = FWindow.windowHandle()) native->setWindowStates(state);
      });
    return false;
  }

 private:
  QWidget& FWindow;
};

// Lets the splitter lay out the new size as it does, then moves from the tree to the page what
// the page must keep.
class PageHalfKeeper final : public QObject {
 public:
  explicit PageHalfKeeper(QSplitter& splitter) : QObject(&splitter) {
    setObjectName(QStringLiteral("PageHalfKeeper"));
    splitter.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Resize) return false;
    auto& splitter = static_cast<QSplitter&>(*watched);
    const QList<int> before = splitter.sizes();
    static_cast<QObject&>(splitter).event(event);
    const QList<int> after = splitter.sizes();
    if (before.size() != 2 || after.size() != 2) return true;
    const int total = after[0] + after[1];
    if (total >= before[0] + before[1]) return true;
    const int page = std::max(after[1], std::min(before[1], total - total / 2));
    if (page != after[1]) splitter.setSizes({total - page, page});
    return true;
  }
};

}  // namespace

MainSettings PlacementDefaults(const QMainWindow& window, MainSettings base) {
  const WindowPlace centred = CenteredPlace(window);
  base.Rect = {centred.Left, centred.Top, centred.Left + centred.Width,
               centred.Top + centred.Height};
  base.Color = kClWindow;
  return base;
}

void PlaceWindow(QMainWindow& window, MainSettings& s) {
  if (FitToDesktop(s, DesktopOf(window)))
    window.setGeometry(s.Rect.Left, s.Rect.Top, static_cast<int>(s.Rect.Width()),
                       static_cast<int>(s.Rect.Height()));
  if (!window.findChild<QObject*>(QStringLiteral("StateKeeper"), Qt::FindDirectChildrenOnly))
    new StateKeeper(window);
  if (s.WindowState == kWsMaximized)
    window.setWindowState(Qt::WindowMaximized);
  else if (s.WindowState == kWsMinimized)
    window.setWindowState(Qt::WindowMinimized);
}

void RecordPlacement(const QMainWindow& window, MainSettings& s) {
  const bool maximized = window.isMaximized();
  const bool minimized = window.isMinimized();
  s.WindowState = maximized ? kWsMaximized : minimized ? kWsMinimized : kWsNormal;
  const QRect r = (maximized || minimized) && window.normalGeometry().isValid()
                      ? window.normalGeometry()
                      : window.geometry();
  s.Rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  s.RectKnown = true;
}

void SplitPanes(QSplitter& splitter, bool vertical) {
  if (vertical == (splitter.orientation() == Qt::Horizontal)) return;
  const int w = splitter.width();
  const int h = splitter.height();
  const int handle = splitter.handleWidth();
  if (vertical) {
    splitter.setOrientation(Qt::Horizontal);
    splitter.setSizes({w / 3, std::max(0, w - w / 3 - handle)});
  } else {
    const int treeHeight = h / 3;
    splitter.setOrientation(Qt::Vertical);
    splitter.setSizes({treeHeight, std::max(0, h - treeHeight - handle)});
  }
}

void KeepPageHalf(QSplitter& splitter) {
  if (!splitter.findChild<QObject*>(QStringLiteral("PageHalfKeeper"), Qt::FindDirectChildrenOnly))
    new PageHalfKeeper(splitter);
}

}  // namespace yuzulog
