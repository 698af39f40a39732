// The search window: a tool window created right after the main window and kept for the run. Its
// condition panel (the keyword, ID and handle-name fields with their options and the run button)
// turns what is typed into a search over every loaded message or the previous hits; its result
// list shows the hits, sorts them by column, shows a chosen hit in the main window with its
// keywords in the key font, and copies or saves the selected messages.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/searchwindow.h"
#include "mainwindow/settings.h"
#include "search/resultlist.h"
#include "search/search.h"
#include "workspace/workspace.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QTableView;
class QToolButton;

namespace yuzulog {

class ResultListModel;

// A view of the workspace's search: it edits the conditions, runs the search, and shows the
// results; a chosen hit is shown by the workspace, with its hits.
class TSearchForm : public QWidget, public SearchWindow, private WorkspaceObserver {
  Q_OBJECT
 public:
  // workspace must outlive the window.
  explicit TSearchForm(Workspace& workspace);
  ~TSearchForm() override;

  // Form2.INI in dir: read after the main window's settings, written after them. A file that
  // exists but cannot be read is told in a box and not written at the end.
  void LoadSearchSettings(const std::string& dir);
  // False (told in a box) when the file could not be written.
  bool SaveSearchSettings(const std::string& dir);

  // Shows or hides the condition panel; the roll-up button's arrow and hint follow.
  void SetPanelVisible(bool shown);

  // The results shown in the list, in display order (the workspace's).
  const std::vector<TLogMessage*>& Results() const { return FWorkspace.Search().Results(); }
  // Enables the run button and the narrowing box for what is loaded and typed; true when a
  // search can run.
  bool UpdateSearchEnabled();

  // The two parts of the time the last search's notice reported: examining the messages, and
  // filling the list (0 when the list was not updated).
  struct SearchTimes {
    long long SearchMs = 0;
    long long ListMs = 0;
  };
  const SearchTimes& LastSearchTimes() const { return FLastTimes; }

  // SearchWindow
  QWidget& Window() override { return *this; }
  void SetResultListColor(const QColor& color) override;
  void SetResultListFont(const QFont& font) override;
  bool StayOnTop() const override;
  void SetStayOnTop(bool on) override;
  void SearchFor(const std::vector<QString>& keywords) override;

 public slots:
  void SearchButtonClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // WorkspaceObserver
  void MessagesAboutToBeForgotten() override;
  void MessagesForgotten() override;
  void FilesChanged() override { UpdateSearchEnabled(); }
  void ResultsAboutToChange() override;
  void ResultsChanged() override;
  void SearchWindowWanted() override;

  // The six fields in the order of SearchFields: Edit1-Edit4, EditID, EditName.
  static constexpr int kFieldCount = 6;

  void FormCreate();
  QWidget* CreatePanel();
  void CreateList();
  void CreatePopupMenu();

  // What the panel holds, texts as typed (UTF-8).
  SearchFields TypedFields() const;
  void FieldChanged(int field);
  void RollUpBtnClick();
  void IncludeHeaderClick();

  void ResultViewChange();
  void ResultViewColumnClick(int column);
  void ResultMenuPopup();
  void SelectAllMenuClick();
  void CopyResultMenuClick();
  void SaveResultMenuClick();
  // Ctrl+A, Ctrl+C and Ctrl+S in the list; true when the key was one of them.
  bool ResultViewKeyDown(int key);
  // The list's selection, as the workspace's chosen rows.
  void ChooseSelectedRows();
  std::size_t SelectedCount() const;

  Workspace& FWorkspace;
  // The last answer to "ファイルを開きますか？" in this run: Yes makes Yes the next default.
  bool FOpenAnswerWasYes = false;
  SearchTimes FLastTimes;
  SettingsReport FSettingsReport;  // from LoadSearchSettings to SaveSearchSettings

  // Controls.
  QScrollArea* panelScroll = nullptr;
  QGroupBox* keywordBox = nullptr;
  std::array<QLineEdit*, kFieldCount> fieldEdits{};  // Edit1-Edit4, EditID, EditName
  std::array<QCheckBox*, kFieldCount> fieldBoxes{};  // CheckBox1-CheckBox4, CheckBoxID, ...
  QCheckBox* ignoreCaseBox = nullptr;
  QCheckBox* compoundBox = nullptr;
  QComboBox* ignoreCodeList = nullptr;
  QCheckBox* includeHeaderBox = nullptr;
  QCheckBox* originalOnlyBox = nullptr;
  QGroupBox* runBox = nullptr;
  QPushButton* searchButton = nullptr;
  QCheckBox* narrowBox = nullptr;
  QToolButton* rollUpButton = nullptr;
  QTableView* resultView = nullptr;
  ResultListModel* resultModel = nullptr;
  QLabel* statusLabel = nullptr;
  QMenu* resultMenu = nullptr;
  QAction* copyResultItem = nullptr;
  QAction* saveResultItem = nullptr;
  QAction* selectAllItem = nullptr;
};

}  // namespace yuzulog
