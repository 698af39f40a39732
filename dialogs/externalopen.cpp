#include "dialogs/externalopen.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

#include "dialogs/dialogseam.h"

namespace yuzulog {
namespace {

UrlOpener& Opener() {
  static UrlOpener opener;
  return opener;
}

}  // namespace

void SetUrlOpener(UrlOpener opener) {
  Opener() = std::move(opener);
}

bool OpenExternally(const QUrl& url) {
  return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
}

void ReportCannotOpen(QWidget* parent, const QString& address) {
  Dialogs().MessageBox(
      parent, address + QStringLiteral("\r\nこのアドレスを開くプログラムが見つかりませんでした"),
      QStringLiteral("エラー"), MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
}

}  // namespace yuzulog
