// What every window of the program shares on the Qt side: text and path conversion, the
// program's folder, the font the dialogs are designed in.
#pragma once

#include <QCoreApplication>
#include <QFile>
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

}  // namespace yuzulog
