// The main window's message view: one interface, two kinds. The browser view shows each message
// as a page written into a page file of its own and decides where its links go; the rich-text
// view shows the message's text with its hits in the key font. The window creates one of them at
// start (the "ViewMode:" key) and never asks which one it has.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "htmlview/htmlpage.h"
#include "htmlview/threadpage.h"
#include "logdata/logmessage.h"
#include "mainwindow/readon.h"
#include "mainwindow/threadorder.h"
#include "workspace/workspace.h"

class QWidget;

namespace yuzulog {

class MessageView {
 public:
  virtual ~MessageView() = default;
  // The control, which the window places and owns.
  virtual QWidget* Widget() = 0;
  // Shows what request asks for (nothing: the empty page), its hits in the key font when it
  // carries them. Throws what keeps the page from being shown (a page file that cannot be
  // written, say).
  virtual void ShowMessage(const ShowRequest& request, const PageStyle& style) = 0;
  // Shows nothing; never throws (it runs in the middle of loading).
  virtual void Clear(const PageStyle& style) = 0;
  // The background colour changed. True when the view shows it only after drawing again.
  virtual bool ApplyColor(TColor color) = 0;
  // True when a drawing also updates the window around the view: a search hit's node is selected
  // in the tree and the copy command follows whether a message is shown. The page view does; the
  // rich-text view leaves both as they were.
  virtual bool UpdatesWindowOnDraw() const { return false; }
  // A new request stops a page that is still loading.
  virtual void StopLoading() {}
  // True while a page the view was given is still loading.
  virtual bool Loading() const { return false; }
  // The text selected in the view, and copying it to the clipboard.
  virtual QString SelectedText() const = 0;
  virtual void CopySelection() = 0;

  // Shows the messages of a thread one after the other, opened at entry selected; hits empty:
  // without hits. Throws as ShowMessage does.
  virtual void ShowThread(const ThreadPageContent& content, std::size_t selected,
                          const MessageHits& hits, const PageStyle& style) = 0;
  // Goes to entry of the thread shown last, without drawing again.
  virtual void GoToEntry(std::size_t entry) = 0;
  // Where the view stands on its page, and a screen further down or back up.
  virtual PageScroll Scroll() const = 0;
  virtual void ScrollPage(bool down) = 0;
  // Where each entry of the thread shown last ends on the page, in Scroll()'s unit; empty when
  // the view shows a single message.
  virtual std::vector<double> EntryEnds() const = 0;

  // Called when a page has finished loading.
  std::function<void()> OnLoaded;
  // Called when a link names a message of the logs (after the engine's call has returned).
  std::function<void(MessageAddress)> OnGotoMessage;
  // Called when the reader scrolled the page from the place from to the place now (Scroll()).
  // Not called when the view opens a page or goes to an entry.
  std::function<void(double from)> OnScrolled;
};

// The browser view, or nullptr when the program was built without the browser engine. The
// workspace's settings say where "nifty:" places outside the logs are sent.
std::unique_ptr<MessageView> CreateBrowserView(const Workspace& workspace);
std::unique_ptr<MessageView> CreateRichTextView();

}  // namespace yuzulog
