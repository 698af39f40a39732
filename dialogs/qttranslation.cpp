#include "dialogs/qttranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace yuzulog {

QTranslator* InstallQtJapanese(const QString& folder) {
  const QString dir =
      folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
  auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_ja"), dir) ||
      !QCoreApplication::installTranslator(translator.get()))
    return nullptr;
  return translator.release();
}

}  // namespace yuzulog
