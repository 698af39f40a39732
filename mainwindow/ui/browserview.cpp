// The browser view: each drawing becomes a page file of its own, which the engine loads; every
// navigation is decided by the program, so a link never opens anything inside the view that is
// not one of the program's own pages.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
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
    for (const ThreadPageEntry& e : content.Entries)
      FAnchors.push_back(QString::fromStdString(e.Anchor));
    ShowPage(page, selected < FAnchors.size() ? FAnchors[selected] : QString());
  }

  void GoToEntry(std::size_t entry) override {
    if (entry >= FAnchors.size()) return;
    QUrl url = FWeb->url();
    url.setFragment(FAnchors[entry]);
    FWeb->setUrl(url);
  }

 private:
  void ShowPage(const std::string& page, const QString& anchor) {
    const std::string path = FFiles.NewTempPageFile();
    FFiles.WritePage(path, page);
    FLoading = true;
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
  std::vector<QString> FAnchors;  // of the entries of the thread shown last
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
