// The main window's message view: the control chosen by the "ViewMode:" key, the show requests
// that every source of navigation makes, their deferred drawing into the browser view (through
// temporary page files) or the rich-text view, and what the browser view does with links.
#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QSplitter>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#ifdef YUZULOG_HAVE_WEBENGINE
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "mainwindow/ui/viewpage.h"
#endif

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/waitcursor.h"
#include "htmlview/htmlpage.h"
#include "mainwindow/navigation.h"
#include "mainwindow/richtext.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/qtfont.h"
#include "mainwindow/ui/richtexthits.h"

namespace yuzulog {
namespace {

// The browser view keeps the page being shown and the few before it; older page files go once a
// page has finished loading.
constexpr std::size_t kKeptPageFiles = 4;

}  // namespace

// Runs once, at creation: the view kind does not change while the program runs. Mode 0 is the
// browser view, any other value the rich-text view; the view fills the splitter's second pane,
// which owns it.
void TMainForm::CreateView(int mode) {
  QWidget* view = nullptr;
#ifdef YUZULOG_HAVE_WEBENGINE
  if (mode == 0) {
    auto* web = new QWebEngineView;
    auto* page = new TViewPage(web);
    page->OnBeforeNavigate = [this](const QUrl& url, bool historyStep) {
      return FViewBeforeNavigate2(url, historyStep);
    };
    web->setPage(page);
    // Pages are the program's own; nothing in a log is ever run.
    web->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    web->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // The view has no history of its own (the back command walks the program's): its menu only
    // copies.
    web->setContextMenuPolicy(Qt::CustomContextMenu);
    // The browser engine brings no Japanese texts of its own; these are the rich-text view's.
    web->pageAction(QWebEnginePage::Copy)->setText(QStringLiteral("コピー(&C)"));
    web->pageAction(QWebEnginePage::SelectAll)->setText(QStringLiteral("すべてを選択"));
    connect(web, &QWidget::customContextMenuRequested, web, [web](const QPoint& at) {
      QMenu menu(web);
      menu.addAction(web->pageAction(QWebEnginePage::Copy));
      menu.addAction(web->pageAction(QWebEnginePage::SelectAll));
      menu.exec(web->mapToGlobal(at));
    });
    connect(web, &QWebEngineView::loadFinished, this, [this] { FViewDocumentComplete(); });
    // A file dropped on the view is opened by the window, not shown by the browser.
    web->setAcceptDrops(false);
    view = web;
  }
#endif
  if (!view) {
    // Mode 0 without the browser engine shows the rich-text view as well.
    auto* text = new QTextEdit;
    text->setReadOnly(true);
    text->setAcceptDrops(false);
    text->setFont(font());
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view = text;
  }
  (void)mode;
  view->setObjectName(QStringLiteral("FView"));
  Splitter1->addWidget(view);
  Splitter1->setStretchFactor(1, 1);
  FView = view;
  ApplyColor();
}

// The browser view shows the empty page, so the background colour shows.
// It runs in the middle of loading, which must not fail because the empty page could not be
// written: the view then keeps what it showed, and the next drawing reports the error.
void TMainForm::ClearView() {
  if (auto* text = qobject_cast<QTextEdit*>(FView)) {
    text->clear();
    return;
  }
  PageStream page;
  WriteEmptyPage(page, CurrentPageStyle(), PaletteColorResolver());
  try {
    ShowPageFile(page);
  } catch (const TempPageError& e) {
    qWarning("yuzulog: %s", e.what());
  }
}

// The background colour reaches the rich-text view, and the tree unless the old system's colours
// were asked for. The browser view takes it from the page.
void TMainForm::ApplyColor() {
  const QColor c = ToQColor(FColor);
  if (auto* text = qobject_cast<QTextEdit*>(FView)) {
    QPalette p = text->palette();
    p.setColor(QPalette::Base, c);
    text->setPalette(p);
  }
  if (!FOldSystem && TreeView1) {
    QPalette p = TreeView1->palette();
    p.setColor(QPalette::Base, c);
    TreeView1->setPalette(p);
  }
  ApplyColorToResultList();
}

void TMainForm::RequestShow(QObject* requester, const TLogMessage* message) {
#ifdef YUZULOG_HAVE_WEBENGINE
  if (auto* web = qobject_cast<QWebEngineView*>(FView)) web->stop();
#endif
  FRequester = requester;
  if (message != FCurrentMessage) FHistory.PushHistory(message, FCurrentMessage);
  FCurrentMessage = message;
  FUpdatePending = true;
  FRenderTimer->start();
}

// A request made while a drawing runs (RenderPage selects the tree node of a message the search
// window asked for, which asks again) is dropped: the drawing ends with nothing owed. An error
// in a drawing still leaves the next request free to draw.
void TMainForm::AppIdle() {
  if (!FUpdatePending) return;
  if (!FRenderReady) {
    FRenderTimer->start();
    return;
  }
  FRenderReady = false;
  QString error;
  try {
    if (qobject_cast<QTextEdit*>(FView))
      RenderRichText();
    else
      RenderPage();
  } catch (const std::exception& e) {
    error = QString::fromUtf8(e.what());
  }
  FUpdatePending = false;
  FRenderReady = true;
  if (!error.isEmpty())
    Dialogs().MessageBox(this, error, ApplicationTitle(), MsgButtons::Ok, MsgIcon::Error,
                         ModalResult::Ok);
  emit ViewDrawn();
}

bool TMainForm::ViewBusy() const {
  return FUpdatePending || FRenderTimer->isActive() || FPageLoading;
}

bool TMainForm::HitsRequested() const {
  return FRequester && FRequester == FHitSource.ResultList && FHitSource.GetHitRanges;
}

void TMainForm::RenderPage() {
  ActionCopyCurrentMsg->setEnabled(FCurrentMessage != nullptr);
  WaitCursor wait;
  const PageStyle style = CurrentPageStyle();
  PageStream page;
  if (!FCurrentMessage) {
    WriteEmptyPage(page, style, PaletteColorResolver());
  } else if (HitsRequested()) {
    std::vector<std::int64_t> hits;
    FHitSource.GetHitRanges(hits, *FCurrentMessage);
    WriteMessagePage(page, *FCurrentMessage, &hits, style, PaletteColorResolver());
    // The tree follows the message the search window showed. Its request is dropped, so the
    // page keeps its hits while the requester now names the tree.
    SelectMessageNode(*FCurrentMessage);
  } else {
    WriteMessagePage(page, *FCurrentMessage, nullptr, style, PaletteColorResolver());
  }
  ShowPageFile(page);
}

PageStyle TMainForm::CurrentPageStyle() const {
  return {FBaseFont, FKeyFont, FColor, ActionWordWrap->isChecked()};
}

void TMainForm::ShowPageFile(const std::string& page) {
#ifdef YUZULOG_HAVE_WEBENGINE
  if (auto* web = qobject_cast<QWebEngineView*>(FView)) {
    const std::string path = FTempFiles->NewTempPageFile();
    FTempFiles->WritePage(path, page);
    FPageLoading = true;
    web->setUrl(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))));
  }
#else
  (void)page;
#endif
}

void TMainForm::RenderRichText() {
  auto* text = qobject_cast<QTextEdit*>(FView);
  WaitCursor wait;
  text->clear();
  text->setLineWrapMode(ActionWordWrap->isChecked() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  if (FCurrentMessage) {
    const std::string_view message(FCurrentMessage->HeadStart, FCurrentMessage->TextSize());
    text->setPlainText(QString::fromStdString(RichTextOf(message)));
    if (HitsRequested()) {
      std::vector<std::int64_t> hits;
      FHitSource.GetHitRanges(hits, *FCurrentMessage);
      MarkHitsInRichText(*text, *FCurrentMessage, hits, FKeyFont);
    }
  }
}

bool TMainForm::FViewBeforeNavigate2(const QUrl& url, bool historyStep) {
  const bool ownPage = !historyStep && url.isLocalFile() &&
                       FTempFiles->Contains(QFile::encodeName(url.toLocalFile()).toStdString());
  const NavigationDecision d =
      DecideNavigation(url.toEncoded().toStdString(), ownPage, FInterwayPrefix);
  switch (d.Action) {
    case NavigationAction::Allow:
      return true;
    case NavigationAction::GotoMessage:
      // After the engine's call has returned: going there may show a box.
      QTimer::singleShot(0, this, [this, target = d.Target] { GotoMessage(target); });
      return false;
    case NavigationAction::OpenExternally:
      QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(d.Url)));
      return false;
    case NavigationAction::Refuse:
      return false;
  }
  return false;
}

void TMainForm::FViewDocumentComplete() {
  FPageLoading = false;
  FTempFiles->Prune(kKeptPageFiles);
}

}  // namespace yuzulog
