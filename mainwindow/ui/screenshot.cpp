#include "mainwindow/ui/screenshot.h"

#include <QBuffer>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "dialogs/qthelpers.h"

#include "mainwindow/cmdline.h"
#include "platform/fileio.h"

namespace yuzulog {
namespace {

constexpr int kScreenshotPollMs = 50;
constexpr int kScreenshotQuietPolls = 6;
constexpr int kScreenshotMaxPolls = 400;

// Encoded in memory first, so that the file is replaced whole or not at all.
bool Save(QWidget& widget, const QString& path) {
  QByteArray png;
  QBuffer buffer(&png);
  int error = 0;
  if (buffer.open(QIODevice::WriteOnly) && widget.grab().save(&buffer, "PNG") &&
      WriteFileAtomically(PathBytes(path),
                          std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                          &error))
    return true;
  std::fprintf(stderr, "yuzulog: cannot write the screenshot %s: %s\n", qPrintable(path),
               error != 0 ? std::strerror(error) : "the image could not be made");
  return false;
}

}  // namespace

void SaveScreenshotsWhenSettled(QWidget& window, QWidget* companion, const QString& path,
                                std::function<bool()> busy, std::function<void(bool saved)> then) {
  auto* poll = new QTimer(&window);
  poll->setInterval(kScreenshotPollMs);
  QObject::connect(poll, &QTimer::timeout, &window, [=, &window, quiet = 0, polls = 0]() mutable {
    quiet = busy() ? 0 : quiet + 1;
    if (quiet < kScreenshotQuietPolls && ++polls < kScreenshotMaxPolls) return;
    poll->stop();
    poll->deleteLater();
    bool saved = Save(window, path);
    if (companion && companion->isVisible())
      saved =
          Save(*companion,
               QString::fromStdString(CompanionPath(path.toStdString(), kSearchScreenshotTag))) &&
          saved;
    then(saved);
  });
  poll->start();
}

}  // namespace yuzulog
