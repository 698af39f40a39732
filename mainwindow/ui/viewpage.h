// The browser view's page: every navigation asks the main window first (FViewBeforeNavigate2),
// so a link never opens anything inside the view that is not one of the program's own pages.
#pragma once

#include <QWebEnginePage>
#include <functional>

namespace yuzulog {

class TViewPage : public QWebEnginePage {
  Q_OBJECT
 public:
  using QWebEnginePage::QWebEnginePage;

  // True lets the navigation go ahead. historyStep: the engine's own back or forward.
  std::function<bool(const QUrl& url, bool historyStep)> OnBeforeNavigate;

  // Public, so that tests can ask it as the engine does.
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    (void)isMainFrame;
    return OnBeforeNavigate && OnBeforeNavigate(url, type == NavigationTypeBackForward);
  }
};

}  // namespace yuzulog
