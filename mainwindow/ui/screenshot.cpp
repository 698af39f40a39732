#include "mainwindow/ui/screenshot.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "mainwindow/cmdline.h"

namespace yuzulog {
namespace {

constexpr int kScreenshotPollMs = 50;
constexpr int kScreenshotQuietPolls = 6;
constexpr int kScreenshotMaxPolls = 400;

void Save(QWidget& widget, const QString& path) {
  if (!widget.grab().save(path, "PNG"))
    qWarning("yuzulog: cannot write the screenshot %s", qPrintable(path));
}

}  // namespace

void SaveScreenshotsWhenSettled(QWidget& window, QWidget* companion, const QString& path,
                                std::function<bool()> busy, std::function<void()> then) {
  auto* poll = new QTimer(&window);
  poll->setInterval(kScreenshotPollMs);
  QObject::connect(poll, &QTimer::timeout, &window, [=, &window, quiet = 0, polls = 0]() mutable {
    quiet = busy() ? 0 : quiet + 1;
    if (quiet < kScreenshotQuietPolls && ++polls < kScreenshotMaxPolls) return;
    poll->stop();
    poll->deleteLater();
    Save(window, path);
    if (companion && companion->isVisible())
      Save(*companion,
           QString::fromStdString(CompanionPath(path.toStdString(), kSearchScreenshotTag)));
    then();
  });
  poll->start();
}

}  // namespace yuzulog
