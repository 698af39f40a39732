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

#include "mainwindow/settings.h"
#include "mainwindow/ui/searchwindow.h"
#include "search/resultlist.h"
#include "search/search.h"

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
class TMainForm;

class TSearchForm : public QWidget, public SearchWindow {
  Q_OBJECT
 public:
  // Connects itself to mainForm, which must have been created first and be destroyed after it.
  explicit TSearchForm(TMainForm& mainForm);
  ~TSearchForm() override;

  // Form2.INI in dir: read after the main window's settings, written after them. A file that
  // exists but cannot be read is told in a box and not written at the end.
  void LoadSearchSettings(const std::string& dir);
  // False (told in a box) when the file could not be written.
  bool SaveSearchSettings(const std::string& dir);

  // Shows or hides the condition panel; the roll-up button's arrow and hint follow.
  void SetPanelVisible(bool shown);

  // The results shown in the list, in display order (refers to the main window's messages).
  const std::vector<TLogMessage*>& Results() const { return FState.Results; }

  // The two parts of the time the last search's notice reported: examining the messages, and
  // filling the list (0 when the list was not updated).
  struct SearchTimes {
    long long SearchMs = 0;
    long long ListMs = 0;
  };
  const SearchTimes& LastSearchTimes() const { return FLastTimes; }

  // Opens a saved file as the desktop opens it; tests replace it.
  std::function<void(const QString& path)> OpenDocument;

  // SearchWindow
  QWidget& Window() override { return *this; }
  bool UpdateSearchEnabled() override;
  void ClearResults() override;
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
  // The six fields in the order of SearchFields: Edit1-Edit4, EditID, EditName.
  static constexpr int kFieldCount = 6;

  void FormCreate();
  QWidget* CreatePanel();
  void CreateList();
  void CreatePopupMenu();

  // What the panel holds, texts as typed (UTF-8).
  SearchFields TypedFields() const;
  void Edit1Change(int field);
  void RollUpBtnClick();
  void IncludeHeaderClick();

  void ListView1Change();
  void ListView1ColumnClick(int column);
  void PopupMenu1Popup();
  void SelectAllMenuClick();
  void CopyResultMenuClick();
  void SaveResultMenuClick();
  // Ctrl+A, Ctrl+C and Ctrl+S in the list; true when the key was one of them.
  bool ListView1KeyDown(int key);
  // One flag per row of the list.
  std::vector<bool> SelectedRows() const;
  std::size_t SelectedCount(const std::vector<bool>& selected) const;

  QPointer<TMainForm> FMainForm;
  SearchState FState;
  SortState FSortState;  // for the whole run: a new search does not reset it
  // The last answer to "ファイルを開きますか？" in this run: Yes makes Yes the next default.
  bool FOpenAnswerWasYes = false;
  SearchTimes FLastTimes;
  SettingsReport FSettingsReport;  // from LoadSearchSettings to SaveSearchSettings

  // Controls.
  QScrollArea* ScrollBox1 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  std::array<QLineEdit*, kFieldCount> FEdits{};       // Edit1-Edit4, EditID, EditName
  std::array<QCheckBox*, kFieldCount> FCheckBoxes{};  // CheckBox1-CheckBox4, CheckBoxID, ...
  QCheckBox* IgnoreCase = nullptr;
  QCheckBox* Enhanced = nullptr;
  QComboBox* IgnoreCode = nullptr;
  QCheckBox* IncludeHeader = nullptr;
  QCheckBox* CheckBoxOrgMes = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QPushButton* Button1 = nullptr;
  QCheckBox* CheckBoxNest = nullptr;
  QToolButton* RollUpBtn = nullptr;
  QTableView* ListView1 = nullptr;
  ResultListModel* FModel = nullptr;
  QLabel* StatusBar1 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* CopyResultMenu = nullptr;
  QAction* SaveResultMenu = nullptr;
  QAction* SelectAllMenu = nullptr;
};

}  // namespace yuzulog
