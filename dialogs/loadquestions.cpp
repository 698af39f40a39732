#include "dialogs/loadquestions.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <utility>

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/qthelpers.h"

namespace yuzulog {
namespace {

// The reload question's answers are the four-answer box's buttons; Cancel is the box closed.
constexpr std::pair<ReloadAnswer, ModalResult> kReloadButtons[] = {
    {ReloadAnswer::Yes, ModalResult::Yes},           {ReloadAnswer::No, ModalResult::No},
    {ReloadAnswer::YesToAll, ModalResult::YesToAll}, {ReloadAnswer::NoToAll, ModalResult::NoToAll},
    {ReloadAnswer::Cancel, ModalResult::Cancel},
};

}  // namespace

ReloadAnswer BoxLoadQuestions::AskReload(const std::string& caption, const std::string& message,
                                         ReloadAnswer defaultAnswer) {
  ModalResult defaultButton = ModalResult::No;
  for (const auto& [answer, button] : kReloadButtons)
    if (answer == defaultAnswer) defaultButton = button;
  const ModalResult pressed =
      Dialogs().AskYesNoAll(U(message), U(caption), defaultButton, Qt::AlignLeft);
  for (const auto& [answer, button] : kReloadButtons)
    if (button == pressed) return answer;
  return ReloadAnswer::Cancel;
}

bool BoxLoadQuestions::AskStopAfterFailure(const std::string& path, const LoadResult&) {
  return Dialogs().MessageBox(DialogParent(&FWindow), U(LoadFailedQuestionText(path)),
                              QStringLiteral("エラー"), MsgButtons::YesNo, MsgIcon::Error,
                              ModalResult::Yes) == ModalResult::Yes;
}

void BoxLoadQuestions::NoticeCancelled(const std::string& message) {
  Dialogs().MessageBox(DialogParent(&FWindow), U(message), ApplicationTitle(), MsgButtons::Ok,
                       MsgIcon::None, ModalResult::Ok);
}

std::vector<std::string> DroppedFiles(const QMimeData& data) {
  std::vector<std::string> paths;
  for (const QUrl& url : data.urls())
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
      paths.push_back(PathBytes(url.toLocalFile()));
  return paths;
}

}  // namespace yuzulog
