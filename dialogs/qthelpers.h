// What every window of the program shares on the Qt side: text and path conversion, the
// program's folder, the font the dialogs are designed in, the OK/Cancel button row, the parent
// of a box or dialog, a window's default place and the desktop it is fitted to.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QString>
#include <string>

#include "dialogs/dialogfont.h"
#include "platform/settingsfiles.h"

namespace yuzulog {

// The program's own texts are UTF-8.
inline QString U(const std::string& s) {
  return QString::fromStdString(s);
}

// Paths keep the file system's bytes; the interface shows them decoded.
inline std::string PathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}
inline QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// The folder the program runs from, as the file system's bytes.
inline std::string ProgramFolder() {
  return PathBytes(QCoreApplication::applicationDirPath());
}

// The dialogs' button row at the right: "OK" (the default button) and "キャンセル", named OKBtn
// and CancelBtn, made as children of parent.
inline QHBoxLayout* OkCancelRow(QWidget* parent, QPushButton*& ok, QPushButton*& cancel) {
  ok = new QPushButton(QStringLiteral("OK"), parent);
  ok->setObjectName(QStringLiteral("OKBtn"));
  ok->setDefault(true);
  cancel = new QPushButton(QStringLiteral("キャンセル"), parent);
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

// The parent a box or dialog that asker wants to show gets (asker may be null): the modal window
// in front when there is one (a progress window), else a shown window that stays on top (the
// search window), else asker. The window system keeps a box above its parent; under a parent
// of its own it would open beneath a window that stays on top, out of reach.
inline QWidget* DialogParent(QWidget* asker) {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (asker && asker->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return asker;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = w->windowType();
    if (w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
        type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen)
      return w;
  }
  return asker;
}

namespace detail {
inline const QScreen* ScreenOf(const QWidget& window) {
  return window.screen() ? window.screen() : QGuiApplication::primaryScreen();
}
}  // namespace detail

// Where a window stands when its settings file has no place for it: its present size, centred on
// the usable area of its screen.
inline WindowPlace CenteredPlace(const QWidget& window) {
  const QScreen* screen = detail::ScreenOf(window);
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const WindowRect r = CenteredRect(avail.width(), avail.height(), window.width(), window.height());
  return {avail.left() + r.Left, avail.top() + r.Top, window.width(), window.height()};
}

// What a window's place is fitted to: the usable area of all screens together.
inline WindowRect DesktopOf(const QWidget& window) {
  const QScreen* screen = detail::ScreenOf(window);
  const QRect desk = screen ? screen->availableVirtualGeometry() : QRect(0, 0, 1024, 768);
  return {desk.left(), desk.top(), desk.left() + desk.width(), desk.top() + desk.height()};
}

}  // namespace yuzulog
