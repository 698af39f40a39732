// Recently used folders and named log sets: their menus, reopening a folder, loading, registering
// and removing sets, and the set named on the command line.
#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "dialogs/dialogseam.h"
#include "dialogs/inputdialog.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/ui/listmenus.h"
#include "mainwindow/ui/mainform.h"

namespace yuzulog {
namespace {

const char* const kLogSetNotFound = "ERROR: 対応するログセットが見つかりませんでした";

// The sets' names, offered by the input dialog.
QStringList LogSetNames(const std::vector<LogSet>& sets) {
  QStringList names;
  for (const LogSet& set : sets)
    names << QString::fromStdString(set.Name);
  return names;
}

}  // namespace

void TMainForm::ListsChanged() {
  FillRecentMenu(*commands.recentMenu, FWorkspace.RecentFolders(),
                 [this](int index) { RecentFolderClick(index); });
  FillLogSetMenu(*commands.logSetMenu, commands.logSetSeparator, logSetItems, FWorkspace.LogSets(),
                 [this](int index) { LogSetClick(index); });
}
void TMainForm::RecentFolderClick(int index) {
  QString folder;
  if (index >= 0 && index < static_cast<int>(FWorkspace.RecentFolders().size())) {
    folder = QString::fromStdString(FWorkspace.RecentFolders()[static_cast<std::size_t>(index)]);
    if (!QFileInfo(folder).isDir()) {
      // A folder that is gone leaves the list; the dialog still opens.
      Dialogs().MessageBox(
          this, folder + QStringLiteral("\r\n指定されたフォルダが見つかりませんでした"),
          QStringLiteral("エラー"), MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
      FWorkspace.RemoveRecentFolder(index);
    }
  }
  const std::vector<std::string> paths = ChooseLogFiles(folder);
  if (paths.empty()) return;
  FWorkspace.AddRecentFolder(paths.front());
  WaitCursor wait;
  LoadFileList(paths, false);
}

void TMainForm::PopupMenuLogSetPopup() {
  commands.addLogSet->setEnabled(!FWorkspace.Files().Empty());
  commands.removeLogSet->setEnabled(!FWorkspace.LogSets().empty());
}

void TMainForm::AddLogSetMenuClick() {
  const QString name = ShowInputDialog(QStringLiteral("ログセット"), QStringLiteral("登録"), {},
                                       false, LogSetNames(FWorkspace.LogSets()));
  if (name.isEmpty()) return;
  FWorkspace.RegisterLogSet(name.toStdString(), [this] {
    return Dialogs().MessageBox(
               this, QStringLiteral("同じ名前が既に登録されています。\r\n上書きしますか？"),
               QStringLiteral("ログセットの登録"), MsgButtons::OkCancel, MsgIcon::Warning,
               ModalResult::Cancel) == ModalResult::Ok;
  });
}

void TMainForm::RemoveLogSetMenuClick() {
  const QString name = ShowInputDialog(QStringLiteral("ログセット"), QStringLiteral("削除"), {},
                                       true, LogSetNames(FWorkspace.LogSets()));
  // No question: the name was chosen from the list.
  if (!name.isEmpty() && !FWorkspace.RemoveLogSet(name.toStdString()))
    Dialogs().MessageBox(this, QString::fromUtf8(kLogSetNotFound), ApplicationTitle(),
                         MsgButtons::Ok, MsgIcon::None, ModalResult::Ok);
}

void TMainForm::LogSetClick(int index) {
  WaitCursor wait;
  const std::optional<std::vector<std::string>> files = FWorkspace.UseLogSet(index);
  if (!files) {
    Dialogs().MessageBox(this, QString::fromUtf8(kLogSetNotFound), ApplicationTitle(),
                         MsgButtons::Ok, MsgIcon::None, ModalResult::Ok);
    return;
  }
  LoadAskingForAddMode(*files, QStringLiteral("ログセットを追加モードで開きますか？"),
                       QStringLiteral("ログセットを開く"));
}

}  // namespace yuzulog
