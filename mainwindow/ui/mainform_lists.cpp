// Recently used folders and named log sets: their menus, reopening a folder, loading, registering
// and removing sets, and the set named on the command line.
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "dialogs/dialogseam.h"
#include "dialogs/inputdialog.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/cmdline.h"
#include "mainwindow/logsets.h"
#include "mainwindow/recentfolders.h"
#include "mainwindow/ui/mainform.h"

namespace yuzulog {
namespace {

const char* const kLogSetNotFound = "ERROR: 対応するログセットが見つかりませんでした";

// "&", the number, ": " and the text, whose own "&" stay visible instead of marking a key.
QString NumberedCaption(int number, const std::string& text) {
  return QStringLiteral("&%1: %2").arg(number).arg(
      QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

// The sets' names, offered by the input dialog.
QStringList LogSetNames(const std::vector<std::string>& sets) {
  QStringList names;
  for (const std::string& name : GetLogSetNames(sets))
    names << QString::fromStdString(name);
  return names;
}

}  // namespace

// ---- recent folders -----------------------------------------------------------------------

void TMainForm::AddRecentFolder(const std::string& path) {
  yuzulog::AddRecentFolder(FRecentFolders, path,
                           QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
  UpdateRecentMenu();
}

void TMainForm::UpdateRecentMenu() {
  TrimRecentFolders(FRecentFolders);
  MenuReopen->clear();
  for (std::size_t i = 0; i < FRecentFolders.size(); ++i) {
    const int index = static_cast<int>(i);
    QAction* item = MenuReopen->addAction(NumberedCaption(index + 1, FRecentFolders[i]));
    item->setData(index);
    connect(item, &QAction::triggered, this, [this, index] { RecentFolderClick(index); });
  }
  MenuReopen->setEnabled(!FRecentFolders.empty());
}

void TMainForm::RecentFolderClick(int index) {
  QString folder;
  if (index >= 0 && index < static_cast<int>(FRecentFolders.size())) {
    folder = QString::fromStdString(FRecentFolders[static_cast<std::size_t>(index)]);
    if (!QFileInfo(folder).isDir()) {
      // A folder that is gone leaves the list; the dialog still opens.
      Dialogs().MessageBox(
          this, folder + QStringLiteral("\r\n指定されたフォルダが見つかりませんでした"),
          QStringLiteral("エラー"), MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
      FRecentFolders.erase(FRecentFolders.begin() + index);
      UpdateRecentMenu();
    }
  }
  const std::vector<std::string> paths = ChooseLogFiles(folder);
  if (paths.empty()) return;
  AddRecentFolder(paths.front());
  WaitCursor wait;
  LoadFileList(paths, false);
}

// ---- log sets ------------------------------------------------------------------------------

void TMainForm::UpdateLogSetMenu() {
  for (QAction* item : FLogSetItems) {
    PopupMenuLogSet->removeAction(item);
    // The clicked item may be among them: it goes once its click has been handled.
    item->deleteLater();
  }
  FLogSetItems.clear();
  for (std::size_t i = 0; i < FLogSets.size(); ++i) {
    const int index = static_cast<int>(i);
    auto* item = new QAction(NumberedCaption(index, LogSetName(FLogSets[i])), PopupMenuLogSet);
    item->setData(index);
    connect(item, &QAction::triggered, this, [this, index] { LogSetClick(index); });
    PopupMenuLogSet->insertAction(LogSetSeparator, item);
    FLogSetItems.push_back(item);
  }
}

void TMainForm::PopupMenuLogSetPopup() {
  AddLogSetMenu->setEnabled(!FLogFiles.Empty());
  RemoveLogSetMenu->setEnabled(!FLogSets.empty());
}

void TMainForm::AddLogSetMenuClick() {
  const QString name = ShowInputDialog(QStringLiteral("ログセット"), QStringLiteral("登録"), {},
                                       false, LogSetNames(FLogSets));
  if (name.isEmpty()) return;
  RegisterLogSet(name.toStdString());
  UpdateLogSetMenu();
}

void TMainForm::RemoveLogSetMenuClick() {
  const QString name = ShowInputDialog(QStringLiteral("ログセット"), QStringLiteral("削除"), {},
                                       true, LogSetNames(FLogSets));
  if (name.isEmpty()) return;
  const int index = IndexOfLogSet(FLogSets, name.toStdString());
  if (index < 0) {
    Dialogs().MessageBox(this, QString::fromUtf8(kLogSetNotFound), ApplicationTitle(),
                         MsgButtons::Ok, MsgIcon::None, ModalResult::Ok);
    return;
  }
  // No question: the name was chosen from the list.
  FLogSets.erase(FLogSets.begin() + index);
  UpdateLogSetMenu();
}

void TMainForm::RegisterLogSet(const std::string& name) {
  if (FLogFiles.Empty()) return;
  std::vector<std::string> files;
  for (const auto& file : FLogFiles)
    files.push_back(file->FileName);
  yuzulog::RegisterLogSet(FLogSets, name, files, [this] {
    return Dialogs().MessageBox(
               this, QStringLiteral("同じ名前が既に登録されています。\r\n上書きしますか？"),
               QStringLiteral("ログセットの登録"), MsgButtons::OkCancel, MsgIcon::Warning,
               ModalResult::Cancel) == ModalResult::Ok;
  });
}

void TMainForm::LogSetClick(int index) {
  WaitCursor wait;
  if (index < 0 || index >= static_cast<int>(FLogSets.size())) {
    Dialogs().MessageBox(this, QString::fromUtf8(kLogSetNotFound), ApplicationTitle(),
                         MsgButtons::Ok, MsgIcon::None, ModalResult::Ok);
    return;
  }
  if (index > 0) {
    MoveLogSetToFront(FLogSets, index);
    UpdateLogSetMenu();
  }
  LoadAskingForAddMode(LogSetFiles(FLogSets.front()),
                       QStringLiteral("ログセットを追加モードで開きますか？"),
                       QStringLiteral("ログセットを開く"));
}

std::vector<std::string> TMainForm::LogSetOfCommandLine() const {
  const int index = FindLogSetForKey(FLogSets, GetParamValue(kLogSetKey));
  if (index < 0) return {};
  return LogSetFiles(FLogSets[static_cast<std::size_t>(index)]);
}

}  // namespace yuzulog
