// The browser view: each drawing becomes a page file of its own, which the engine loads; every
// navigation is decided by the program, so a link never opens anything inside the view that is
// not one of the program's own pages.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QStatusTipEvent>
#include <QTimer>
#include <QUrl>

#include "dialogs/externalopen.h"
#include "dialogs/qtfont.h"
#include "mainwindow/navigation.h"
#include "mainwindow/ui/messageview.h"
#include "platform/temppagefiles.h"

#ifdef YUZULOG_HAVE_WEBENGINE
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "mainwindow/ui/viewpage.h"
#endif

namespace yuzulog {

#ifdef YUZULOG_HAVE_WEBENGINE
namespace {

// The view keeps the page being shown and the few before it; older page files go once a page
// has finished loading.
constexpr std::size_t kKeptPageFiles = 4;

class BrowserView final : public MessageView {
 public:
  explicit BrowserView(const Workspace& workspace) : FWorkspace(workspace) {
    FWeb = new QWebEngineView;
    QWebEngineView* web = FWeb;
    // The engine's input goes to a child it makes with the page.
    FInput.View = this;
    FWeb->installEventFilter(&FInput);
    auto* page = new TViewPage(FWeb);
    page->OnBeforeNavigate = [this](const QUrl& url, bool historyStep) {
      return BeforeNavigate(url, historyStep);
    };
    FWeb->setPage(page);
    // As browsers do: the address of the link under the mouse in the window's status bar, which
    // the status tip reaches through the window.
    QObject::connect(page, &QWebEnginePage::linkHovered, web, [web](const QString& url) {
      QStatusTipEvent tip(url);
      QApplication::sendEvent(web, &tip);
    });
    // Pages are the program's own; nothing in a log is ever run.
    FWeb->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    FWeb->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // The view has no history of its own (the back command walks the program's): its menu only
    // copies.
    FWeb->setContextMenuPolicy(Qt::CustomContextMenu);
    // The browser engine brings no Japanese texts of its own; these are the rich-text view's.
    FWeb->pageAction(QWebEnginePage::Copy)->setText(QStringLiteral("コピー(&C)"));
    FWeb->pageAction(QWebEnginePage::SelectAll)->setText(QStringLiteral("すべてを選択"));
    QObject::connect(web, &QWidget::customContextMenuRequested, web, [web](const QPoint& at) {
      QMenu menu(web);
      menu.addAction(web->pageAction(QWebEnginePage::Copy));
      menu.addAction(web->pageAction(QWebEnginePage::SelectAll));
      menu.exec(web->mapToGlobal(at));
    });
    QObject::connect(page, &QWebEnginePage::scrollPositionChanged, web, [this](QPointF at) {
      const double from = FTop;
      FTop = at.y();
      if (!FJumped && OnScrolled) OnScrolled(from);
    });
    QObject::connect(web, &QWebEngineView::loadFinished, web, [this] {
      FLoading = false;
      FFiles.Prune(kKeptPageFiles);
      if (OnLoaded) OnLoaded();
    });
    // A file dropped on the view is opened by the window, not shown by the browser.
    FWeb->setAcceptDrops(false);
  }

  ~BrowserView() override { delete FWeb.data(); }

  QWidget* Widget() override { return FWeb; }

  void ShowMessage(const ShowRequest& request, const PageStyle& style) override {
    PageStream page;
    if (!request.Message)
      WriteEmptyPage(page, style, PaletteColorResolver());
    else
      WriteMessagePage(page, *request.Message, request.WithHits() ? &request.Hits : nullptr, style,
                       PaletteColorResolver());
    FAnchors.clear();
    FLines.clear();
    ShowPage(page, {});
  }

  // The empty page, so the background colour shows. When it cannot be written the view keeps
  // what it showed, and the next drawing reports the error.
  void Clear(const PageStyle& style) override {
    try {
      ShowMessage({}, style);
    } catch (const TempPageError& e) {
      qWarning("yuzulog: %s", e.what());
    }
  }

  // The page carries the colour.
  bool ApplyColor(TColor) override { return true; }
  bool UpdatesWindowOnDraw() const override { return true; }
  void StopLoading() override { FWeb->stop(); }
  bool Loading() const override { return FLoading; }
  QString SelectedText() const override { return FWeb->selectedText(); }
  void CopySelection() override { FWeb->triggerPageAction(QWebEnginePage::Copy); }

  // The page opens at the anchor of the selected message, which the page's style marks.
  void ShowThread(const ThreadPageContent& content, std::size_t selected, const MessageHits& hits,
                  const PageStyle& style) override {
    PageStream page;
    WriteThreadPage(page, content.Entries, content.OmittedBefore, content.OmittedAfter, hits, style,
                    PaletteColorResolver());
    FAnchors.clear();
    FLines.clear();
    for (const ThreadPageEntry& e : content.Entries) {
      FAnchors.push_back(QString::fromStdString(e.Anchor));
      // The text and the rule under it.
      FLines.push_back(TextLines({e.Message->HeadStart, e.Message->TextSize()}) + 1);
    }
    FLead = content.OmittedBefore + content.OmittedAfter > 0 ? 1 : 0;
    ShowPage(page, selected < FAnchors.size() ? FAnchors[selected] : QString());
  }

  void GoToEntry(std::size_t entry) override {
    if (entry >= FAnchors.size()) return;
    QUrl url = FWeb->url();
    url.setFragment(FAnchors[entry]);
    FJumped = true;
    FWeb->setUrl(url);
  }

  PageScroll Scroll() const override {
    const QWebEnginePage* page = FWeb->page();
    const double zoom = page->zoomFactor() > 0 ? page->zoomFactor() : 1.0;
    return {page->scrollPosition().y(), FWeb->height() / zoom, page->contentsSize().height()};
  }

  // As the engine's own keys scroll: the page has no scripts.
  void ScrollPage(bool down) override {
    Interacted();
    QWidget* input = FWeb->focusProxy() ? FWeb->focusProxy() : FWeb.data();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent key(type, down ? Qt::Key_PageDown : Qt::Key_PageUp, Qt::NoModifier);
      QCoreApplication::sendEvent(input, &key);
    }
  }

  // The engine does not tell where the parts of a page lie without a script; each message's
  // share of the page's height is its share of the page's lines.
  std::vector<double> EntryEnds() const override {
    if (FLines.empty()) return {};
    return EndsByLines(FLines, FLead, FWeb->page()->contentsSize().height());
  }

 private:
  // Until the reader does something, the view's scrolling is its own: the place it opens a page
  // at or goes to an anchor, which the engine may report late.
  void Interacted() {
    if (!FJumped) return;
    FJumped = false;
    FTop = FWeb->page()->scrollPosition().y();
  }

  // Watches what the reader does in the view: the wheel, the keys, the mouse.
  struct InputWatch : QObject {
    BrowserView* View = nullptr;
    bool eventFilter(QObject* watched, QEvent* event) override {
      switch (event->type()) {
        case QEvent::ChildAdded:
          if (auto* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
            child->installEventFilter(this);
          break;
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
          View->Interacted();
          break;
        default:
          break;
      }
      return QObject::eventFilter(watched, event);
    }
  };

  void ShowPage(const std::string& page, const QString& anchor) {
    const std::string path = FFiles.NewTempPageFile();
    FFiles.WritePage(path, page);
    FLoading = true;
    FJumped = true;
    QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!anchor.isEmpty()) url.setFragment(anchor);
    FWeb->setUrl(url);
  }

  bool BeforeNavigate(const QUrl& url, bool historyStep) {
    const bool ownPage = !historyStep && url.isLocalFile() &&
                         FFiles.Contains(QFile::encodeName(url.toLocalFile()).toStdString());
    const NavigationDecision d = DecideNavigation(url.toEncoded().toStdString(), ownPage,
                                                  FWorkspace.Settings().InterwayPrefix);
    switch (d.Action) {
      case NavigationAction::Allow:
        return true;
      case NavigationAction::GotoMessage:
        // After the engine's call has returned: going there may show a box.
        QTimer::singleShot(0, FWeb, [this, target = d.Target] {
          if (OnGotoMessage) OnGotoMessage(target);
        });
        return false;
      case NavigationAction::OpenExternally:
        if (!yuzulog::OpenExternally(QUrl::fromEncoded(QByteArray::fromStdString(d.Url))))
          // After the engine's call has returned, like any box.
          QTimer::singleShot(0, FWeb, [web = FWeb.data(), address = QString::fromStdString(d.Url)] {
            ReportCannotOpen(web->window(), address);
          });
        return false;
      case NavigationAction::Refuse:
        return false;
    }
    return false;
  }

  const Workspace& FWorkspace;
  QPointer<QWebEngineView> FWeb;  // owned by the window once placed
  TempPageFiles FFiles;           // the page files, oldest first; they go with the view
  bool FLoading = false;
  // The thread shown last: each entry's anchor and lines, and the lines above the entries.
  std::vector<QString> FAnchors;
  std::vector<int> FLines;
  int FLead = 0;
  double FTop = 0;       // the place last reported
  bool FJumped = false;  // the view moved by itself and the reader has not acted since
  InputWatch FInput;
};

}  // namespace

std::unique_ptr<MessageView> CreateBrowserView(const Workspace& workspace) {
  return std::make_unique<BrowserView>(workspace);
}

#else

std::unique_ptr<MessageView> CreateBrowserView(const Workspace&) {
  return nullptr;
}

#endif

}  // namespace yuzulog
