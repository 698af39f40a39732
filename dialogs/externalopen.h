// Addresses outside the program (web pages, mail addresses) go to the desktop's program for them.
// When there is none, the person who clicked is told which address could not be opened, instead
// of nothing happening.
#pragma once

#include <QString>
#include <functional>

class QUrl;
class QWidget;

namespace yuzulog {

// Hands an address on; true when a program took it.
using UrlOpener = std::function<bool(const QUrl& url)>;

// Replaces the desktop's opener (an empty one puts it back), so that tests start nothing.
void SetUrlOpener(UrlOpener opener);

// Hands url to the desktop's program for it; false when none took it.
bool OpenExternally(const QUrl& url);

// The box saying that address could not be opened, over parent, through the dialog seam.
void ReportCannotOpen(QWidget* parent, const QString& address);

}  // namespace yuzulog
