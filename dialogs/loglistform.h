// The log list dialog ("ログデータのリスト"): one row per loaded log file with its room and message
// range, and the removal of selected files from what is loaded.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "logdata/logfiles.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace yuzulog {

class TLogListForm : public QDialog {
  Q_OBJECT
 public:
  // Takes the given files out of what is loaded (the main window's RemoveLogFiles); the files
  // passed are rows of this list.
  using RemoveFiles = std::function<void(const std::vector<const TLogData*>&)>;

  // files: the main window's loaded files, read again by every FillLogList; never owned.
  TLogListForm(const LogFiles& files, RemoveFiles remove, QWidget* owner = nullptr);

  void FillLogList();

 private:
  void ListMenuPopup();
  void MenuDeleteClick();

  const LogFiles& FFiles;
  RemoveFiles FRemove;
  std::vector<const TLogData*> FRowFiles;  // the data of each row, in row order

  QLabel* countLabel = nullptr;
  QTreeWidget* fileList = nullptr;
  QPushButton* OkButton = nullptr;
  QMenu* listMenu = nullptr;
  QAction* MenuDelete = nullptr;
};

}  // namespace yuzulog
