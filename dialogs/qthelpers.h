// What every window of the program shares on the Qt side: text and path conversion, the
// program's folder, the font the dialogs are designed in, the OK/Cancel button row.
#pragma once

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

}  // namespace yuzulog
