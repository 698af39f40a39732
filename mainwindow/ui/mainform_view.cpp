// The main window's message view: the control chosen by the "ViewMode:" key, its clearing and
// colour, and the show requests that every source of navigation (the tree, the search window's
// list, the view options, go-to, links, back) makes.
#include <QSplitter>
#include <QTextEdit>
#include <QTreeView>

#ifdef YUZULOG_HAVE_WEBENGINE
#include <QWebEngineSettings>
#include <QWebEngineView>
#endif

#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/qtfont.h"

namespace yuzulog {

// Runs once, at creation: the view kind does not change while the program runs. Mode 0 is the
// browser view, any other value the rich-text view; the view fills the splitter's second pane,
// which owns it.
void TMainForm::CreateView(int mode) {
  QWidget* view = nullptr;
#ifdef YUZULOG_HAVE_WEBENGINE
  if (mode == 0) {
    auto* web = new QWebEngineView;
    // Pages are the program's own; nothing in a log is ever run.
    web->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    web->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    view = web;
  }
#endif
  if (!view) {
    // Mode 0 without the browser engine shows the rich-text view as well.
    auto* text = new QTextEdit;
    text->setReadOnly(true);
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

void TMainForm::ClearView() {
  if (auto* text = qobject_cast<QTextEdit*>(FView)) text->clear();
#ifdef YUZULOG_HAVE_WEBENGINE
  if (auto* web = qobject_cast<QWebEngineView*>(FView)) web->setHtml(QString());
#endif
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
    // The search window's result list takes the same colour when it is connected.
  }
}

// Nothing is drawn here. A burst of requests (an arrow key held in the tree) is to end in one
// drawing of the last message requested: the deferred drawing, which starts from this point once
// requests have been quiet, reads FCurrentMessage and FRequester.
void TMainForm::RequestShow(QObject* requester, const TLogMessage* message) {
  FRequester = requester;
  FCurrentMessage = message;
}

}  // namespace yuzulog
