// The font the program's dialogs are designed in.
#pragma once

#include <QFont>

#include "platform/fontaliases.h"

namespace yuzulog {

// "ＭＳ Ｐゴシック" at 9 points, as its stand-in here.
inline QFont DesignDialogFont() {
  return QFont(QString::fromUtf8(FontStandIn("ＭＳ Ｐゴシック")), 9);
}

}  // namespace yuzulog
