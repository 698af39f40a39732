// Qt's own Japanese texts: the standard buttons of the message boxes ("はい(&Y)", "キャンセル")
// and the file dialog ("ファイル名(&N):", "ファイルの種類:"), whatever the user's locale, since
// everything else the program shows is Japanese.
#pragma once

#include <QString>

class QTranslator;

namespace yuzulog {

// Loads qtbase_ja.qm from folder (by default the folder Qt's translations are installed in) and
// installs it in the application; call it before the first box or dialog is made. Returns the
// translator (owned by the application), or nullptr when the file is missing or unreadable: the
// standard texts then stay in English and the program runs on.
QTranslator* InstallQtJapanese(const QString& folder = {});

}  // namespace yuzulog
