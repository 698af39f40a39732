// The "Screenshot:" key: the main window saved as a PNG once its view has settled, the search
// window beside it when it is shown.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace yuzulog {

// Polls busy until it has stayed false for a few polls (the loaded page still has to be painted),
// at most some twenty seconds, so a page that never finishes loading does not keep the program
// running. Then saves window to path and, when companion is shown, companion beside it (with
// "-search" before the extension), and calls then with whether every image was written. Each
// file is replaced whole or left as it was; a failure is told on stderr.
void SaveScreenshotsWhenSettled(QWidget& window, QWidget* companion, const QString& path,
                                std::function<bool()> busy, std::function<void(bool saved)> then);

}  // namespace yuzulog
