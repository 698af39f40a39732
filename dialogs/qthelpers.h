// What every window of the program shares on the Qt side: text and path conversion, the
// program's folder, the font the dialogs are designed in, the OK/Cancel button row, the parent
// of a box or dialog.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QString>
#include <string>

#include "dialogs/dialogfont.h"

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

}  // namespace yuzulog
