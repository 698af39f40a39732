#include "search/ui/searchform.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyleOption>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "dialogs/dialogseam.h"
#include "dialogs/externalopen.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/progressdlg.h"
#include "dialogs/qtfont.h"
#include "dialogs/qthelpers.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/settings.h"
#include "platform/cp932.h"
#include "search/searchsettings.h"
#include "search/ui/resultlistmodel.h"

namespace yuzulog {
namespace {

// The design size of the window and the height of its condition panel.
constexpr int kDesignWidth = 403;
constexpr int kDesignHeight = 468;
constexpr int kPanelHeight = 201;
constexpr int kRollUpHeight = 12;

// The roll-up button's glyph: the scroll arrow alone, 16 x 8.
QIcon ArrowGlyph(const QWidget& button, bool up) {
  QPixmap glyph(16, 8);
  glyph.fill(Qt::transparent);
  QPainter painter(&glyph);
  QStyleOption option;
  option.initFrom(&button);
  option.rect = glyph.rect();
  button.style()->drawPrimitive(up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                                &option, &painter, &button);
  return QIcon(glyph);
}

}  // namespace

TSearchForm::TSearchForm(Workspace& workspace) : QWidget(nullptr), FWorkspace(workspace) {
  FormCreate();
  FWorkspace.AddObserver(*this);
}

TSearchForm::~TSearchForm() {
  FWorkspace.RemoveObserver(*this);
}

void TSearchForm::FormCreate() {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("検索"));
  // A tool window of its own, not owned by the main window: in its normal style either window
  // may be in front. The program ends with the main window, whether this one is shown or not.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_QuitOnClose, false);
  QFont font(FontFamilyFor(kDesignFontName));
  font.setPixelSize(12);
  setFont(font);
  resize(kDesignWidth, kDesignHeight);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  panelScroll = new QScrollArea(this);
  panelScroll->setObjectName(QStringLiteral("ScrollBox1"));
  panelScroll->setFrameShape(QFrame::NoFrame);
  panelScroll->setWidgetResizable(true);
  panelScroll->setWidget(CreatePanel());
  // The panel never grows; the list takes the rest of the window.
  panelScroll->setFixedHeight(kPanelHeight);
  layout->addWidget(panelScroll);

  rollUpButton = new QToolButton(this);
  rollUpButton->setObjectName(QStringLiteral("RollUpBtn"));
  rollUpButton->setAutoRaise(true);
  rollUpButton->setFixedHeight(kRollUpHeight);
  rollUpButton->setIconSize(QSize(16, 8));
  rollUpButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  rollUpButton->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(rollUpButton);

  CreateList();
  layout->addWidget(resultView, 1);

  auto* statusBar = new QStatusBar(this);
  statusBar->setSizeGripEnabled(true);
  statusLabel = new QLabel(statusBar);
  statusLabel->setObjectName(QStringLiteral("StatusBar1"));
  statusBar->addWidget(statusLabel, 1);
  layout->addWidget(statusBar);

  CreatePopupMenu();

  // The wiring.
  for (int i = 0; i < kFieldCount; ++i) {
    connect(fieldEdits[i], &QLineEdit::textChanged, this, [this, i] { FieldChanged(i); });
    connect(fieldBoxes[i], &QCheckBox::clicked, this, [this] { UpdateSearchEnabled(); });
    fieldEdits[i]->installEventFilter(this);
  }
  connect(includeHeaderBox, &QCheckBox::toggled, this, [this] { IncludeHeaderClick(); });
  connect(searchButton, &QPushButton::clicked, this, &TSearchForm::SearchButtonClick);
  connect(rollUpButton, &QToolButton::clicked, this, [this] { RollUpBtnClick(); });
  connect(resultView->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { ResultViewColumnClick(column); });
  connect(resultView->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { ResultViewChange(); });
  connect(resultView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected) {
            // Only when the focused row is among the rows that became selected.
            const QModelIndex current = resultView->selectionModel()->currentIndex();
            if (current.isValid() && selected.contains(current)) ResultViewChange();
          });
  connect(resultView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { ChooseSelectedRows(); });
  resultView->installEventFilter(this);

  SetPanelVisible(true);
  UpdateSearchEnabled();
}

void TSearchForm::CreateList() {
  resultView = new QTableView(this);
  resultView->setObjectName(QStringLiteral("ListView1"));
  resultModel = new ResultListModel(FWorkspace.Search().Results(), resultView);
  resultView->setModel(resultModel);
  SetUpResultView(*resultView);
  resultView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  resultView->setContextMenuPolicy(Qt::CustomContextMenu);
  KeepSelectionVisible(*resultView);
}

void TSearchForm::CreatePopupMenu() {
  resultMenu = new QMenu(this);
  resultMenu->setObjectName(QStringLiteral("PopupMenu1"));
  const auto item = [this](const char* name, const char* caption, void (TSearchForm::*handler)()) {
    QAction* a = resultMenu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromUtf8(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  copyResultItem =
      item("CopyResultMenu", "選択項目の発言をコピー(&C)", &TSearchForm::CopyResultMenuClick);
  saveResultItem = item("SaveResultMenu", "選択項目の発言をファイルに保存(&S)",
                        &TSearchForm::SaveResultMenuClick);
  selectAllItem =
      item("SelectAllMenu", "全ての項目を選択する(&A)", &TSearchForm::SelectAllMenuClick);
  connect(resultMenu, &QMenu::aboutToShow, this, [this] { ResultMenuPopup(); });
  connect(resultView, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { resultMenu->popup(resultView->viewport()->mapToGlobal(at)); });
}

// ---- the condition panel -------------------------------------------------------------------

SearchFields TSearchForm::TypedFields() const {
  SearchFields f;
  for (int i = 0; i < 4; ++i) {
    f.Edit[i] = fieldEdits[i]->text().toStdString();
    f.CheckBox[i] = fieldBoxes[i]->isChecked();
  }
  f.EditID = fieldEdits[4]->text().toStdString();
  f.CheckBoxID = fieldBoxes[4]->isChecked();
  f.EditName = fieldEdits[5]->text().toStdString();
  f.CheckBoxName = fieldBoxes[5]->isChecked();
  f.IgnoreCase = ignoreCaseBox->isChecked();
  f.Enhanced = compoundBox->isChecked();
  f.IgnoreCode = IgnoreCodeFromIndex(ignoreCodeList->currentIndex());
  f.IncludeHeader = includeHeaderBox->isChecked();
  f.CheckBoxOrgMes = originalOnlyBox->isChecked();
  return f;
}

bool TSearchForm::UpdateSearchEnabled() {
  const SearchFields typed = TypedFields();
  const bool enabled = FWorkspace.CanSearch(typed);
  searchButton->setEnabled(enabled);
  narrowBox->setEnabled(FWorkspace.CanNarrow(typed));
  return enabled;
}

void TSearchForm::FieldChanged(int field) {
  // Typing into a field makes it take part; emptying it takes it out.
  fieldBoxes[field]->setChecked(!fieldEdits[field]->text().isEmpty());
  UpdateSearchEnabled();
}

void TSearchForm::SetPanelVisible(bool shown) {
  panelScroll->setVisible(shown);
  rollUpButton->setIcon(ArrowGlyph(*rollUpButton, shown));
  rollUpButton->setToolTip(shown ? QStringLiteral("検索条件のパネルを隠します")
                                 : QStringLiteral("検索条件のパネルを表示します"));
}

void TSearchForm::RollUpBtnClick() {
  SetPanelVisible(panelScroll->isHidden());
}

void TSearchForm::IncludeHeaderClick() {
  keywordBox->setTitle(includeHeaderBox->isChecked()
                           ? QStringLiteral("発言（ヘッダ＋本文）中のキーワード")
                           : QStringLiteral("本文中のキーワード"));
}

bool TSearchForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == resultView) {
      if (key->modifiers() == Qt::ControlModifier && ResultViewKeyDown(key->key())) return true;
    } else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      // Enter in a field runs the search when it can run; the key goes no further either way.
      if (UpdateSearchEnabled()) SearchButtonClick();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---- searching -----------------------------------------------------------------------------

void TSearchForm::SearchButtonClick() {
  const EncodedFields encoded = EncodeTypedFields(TypedFields());
  if (!encoded.Error.empty()) {
    statusLabel->setText(U(encoded.Error));
    return;
  }

  SearchJob job;
  bool interrupted = false;
  long long listMs = 0;
  {
    WaitCursor wait;
    job.Narrow = narrowBox->isEnabled() && narrowBox->isChecked();
    OpStatus status = OpStatus::Completed;
    const ModalResult run = RunWithProgress(
        this, ProgressOptions::BarAndCancel, kSearchingText,
        [&](TProgressDlg& d) { status = FWorkspace.RunSearch(d, job, encoded.Fields); });
    interrupted = run != ModalResult::Ok || status == OpStatus::Cancelled;

    const std::size_t hits = job.Hits.size();
    bool update = hits > 0;
    if (update && interrupted)
      update = Dialogs().MessageBox(this, U(kUpdateListQuestion), U(InterruptedCaption(hits)),
                                    MsgButtons::YesNo, MsgIcon::Question,
                                    ModalResult::No) == ModalResult::Yes;
    if (update) {
      QElapsedTimer listTime;
      listTime.start();
      resultView->setUpdatesEnabled(false);
      // One reset of the list: its rows are made on request from the results.
      NullProgress quiet;
      FWorkspace.SetResults(quiet, job.Hits);
      resultView->setUpdatesEnabled(true);
      listMs = listTime.elapsed();
      resultView->viewport()->update();
      statusLabel->setText(U(HitCountText(hits)));
    }
  }
  FLastTimes = {job.ElapsedMs, listMs};
  Dialogs().ShowTimedNotice(
      U(SearchNoticeText(job.Hits.size(), interrupted, job.ElapsedMs + listMs)), 1000);
  UpdateSearchEnabled();
}

void TSearchForm::SearchFor(const std::vector<QString>& keywords) {
  for (std::size_t i = 0; i < keywords.size() && i < 4; ++i)
    fieldEdits[i]->setText(keywords[i]);
  show();
  raise();
  if (!UpdateSearchEnabled()) return;
  SearchButtonClick();
  // Like a pager opened at a pattern: the first hit is shown.
  if (resultModel->rowCount() > 0) resultView->setCurrentIndex(resultModel->index(0, 0));
}

// ---- the result list -----------------------------------------------------------------------

void TSearchForm::ResultViewChange() {
  const QModelIndex current = resultView->selectionModel()->currentIndex();
  if (!current.isValid() || !resultView->selectionModel()->isRowSelected(current.row())) return;
  if (const TLogMessage* m = resultModel->MessageAt(current.row()))
    FWorkspace.Show(m, ShowOrigin::SearchHit);
}

void TSearchForm::ResultViewColumnClick(int column) {
  WaitCursor wait;
  SearchSession& search = FWorkspace.Search();
  resultModel->SortByColumn(search.State.Results, search.Sort, column,
                            resultView->selectionModel());
  const QModelIndex current = resultView->selectionModel()->currentIndex();
  if (current.isValid()) resultView->scrollTo(current, QAbstractItemView::EnsureVisible);
  resultView->viewport()->update();
}

void TSearchForm::ChooseSelectedRows() {
  std::vector<std::pair<int, int>> chosen;
  for (const QItemSelectionRange& range : resultView->selectionModel()->selection())
    chosen.emplace_back(range.top(), range.bottom());
  std::sort(chosen.begin(), chosen.end());
  FWorkspace.Search().Chosen = std::move(chosen);
}

std::size_t TSearchForm::SelectedCount() const {
  const std::vector<bool> rows = FWorkspace.Search().ChosenRows();
  return static_cast<std::size_t>(std::count(rows.begin(), rows.end(), true));
}

void TSearchForm::ResultMenuPopup() {
  const std::size_t s = SelectedCount();
  copyResultItem->setEnabled(s > 0);
  saveResultItem->setEnabled(s > 0);
  selectAllItem->setEnabled(s < Results().size());
}

bool TSearchForm::ResultViewKeyDown(int key) {
  if (key != Qt::Key_A && key != Qt::Key_C && key != Qt::Key_S) return false;
  const std::size_t s = SelectedCount();
  if (key == Qt::Key_A && s < Results().size()) SelectAllMenuClick();
  if (key == Qt::Key_C && s > 0) CopyResultMenuClick();
  if (key == Qt::Key_S && s > 0) SaveResultMenuClick();
  return true;
}

void TSearchForm::SelectAllMenuClick() {
  const int rows = resultModel->rowCount();
  if (rows == 0) return;
  WaitCursor wait;
  resultView->selectionModel()->select(
      QItemSelection(resultModel->index(0, 0),
                     resultModel->index(rows - 1, resultModel->columnCount() - 1)),
      QItemSelectionModel::Select);
}

void TSearchForm::CopyResultMenuClick() {
  WaitCursor wait;
  const std::vector<bool> selected = FWorkspace.Search().ChosenRows();
  std::vector<std::string> list;
  OpStatus status = OpStatus::Completed;
  const ModalResult result =
      RunWithProgress(this, ProgressOptions::BarAndCancel, {}, [&](TProgressDlg& d) {
        d.SetText("コピーしています");
        status = WriteSelected(d, Results(), selected, list);
      });
  if (result != ModalResult::Ok || status != OpStatus::Completed) {
    Dialogs().MessageBox(this, QStringLiteral("中断しました"), ApplicationTitle(), MsgButtons::Ok,
                         MsgIcon::None, ModalResult::Ok);
    return;
  }
  QGuiApplication::clipboard()->setText(U(Cp932ToUtf8(ClipboardText(list))));
}

void TSearchForm::SaveResultMenuClick() {
  QString path;
  SaveMode mode = SaveMode::Create;
  for (;;) {
    path = Dialogs().GetSaveFileName(this, {}, QStringLiteral("テキストファイル(*.txt)"),
                                     QStringLiteral("txt"));
    if (path.isEmpty()) return;
    std::error_code ec;
    if (!std::filesystem::exists(PathBytes(path), ec)) {
      mode = SaveMode::Create;
      break;
    }
    const ModalResult answer = AskOverwrite(path);
    if (answer == ModalResult::Cancel) return;
    if (answer == ModalResult::Ok || answer == ModalResult::Yes) {
      mode = answer == ModalResult::Ok ? SaveMode::Create : SaveMode::Append;
      break;
    }
    // "戻る(&R)": the save dialog again.
  }

  WaitCursor wait;
  const std::vector<bool> selected = FWorkspace.Search().ChosenRows();
  SaveResult result;
  RunWithProgress(this, ProgressOptions::BarAndCancel, {}, [&](TProgressDlg& d) {
    d.SetText("ファイルに書き出しています");
    result = SaveSelected(d, Results(), selected, PathBytes(path), mode);
  });
  if (result.Outcome == SaveOutcome::Failed) {
    Dialogs().MessageBox(this, U(result.Message), QStringLiteral("エラー"), MsgButtons::Ok,
                         MsgIcon::Error, ModalResult::Ok);
    return;
  }
  if (result.Outcome != SaveOutcome::Written || mode != SaveMode::Create) return;
  const ModalResult open = Dialogs().MessageBox(
      this, QStringLiteral("ファイルを開きますか？"), QFileInfo(path).fileName(), MsgButtons::YesNo,
      MsgIcon::Question, FOpenAnswerWasYes ? ModalResult::Yes : ModalResult::No);
  FOpenAnswerWasYes = open == ModalResult::Yes;
  // Opened as every link of the program is: when no program takes it, a box names the file.
  if (FOpenAnswerWasYes && !OpenExternally(QUrl::fromLocalFile(path)))
    ReportCannotOpen(this, QDir::toNativeSeparators(path));
}

void TSearchForm::MessagesAboutToBeForgotten() {
  // The messages the list names may be about to go.
  statusLabel->clear();
  resultModel->BeginResultsChange();
}

void TSearchForm::MessagesForgotten() {
  resultModel->EndResultsChange();
}

void TSearchForm::ResultsAboutToChange() {
  resultModel->BeginResultsChange();
}

void TSearchForm::ResultsChanged() {
  resultModel->EndResultsChange();
  ChooseSelectedRows();
  UpdateSearchEnabled();
}

void TSearchForm::SearchWindowWanted() {
  show();
  raise();
  activateWindow();
}

void TSearchForm::SetResultListColor(const QColor& color) {
  QPalette p = resultView->palette();
  p.setColor(QPalette::Base, color);
  resultView->setPalette(p);
}

void TSearchForm::SetResultListFont(const QFont& font) {
  resultView->setFont(font);
  // The rows' one height follows the font.
  SetUpResultView(*resultView);
}

// ---- the window ----------------------------------------------------------------------------

bool TSearchForm::StayOnTop() const {
  return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TSearchForm::SetStayOnTop(bool on) {
  if (on == StayOnTop()) return;
  // Changing a window's flags hides it and makes its native window anew, which the window system
  // would place by its frame; it comes back as it was, its client area where it stood.
  const bool shown = isVisible();
  const QRect place = geometry();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  setGeometry(place);
  if (shown) show();
  if (OnStayOnTopChanged) OnStayOnTopChanged(on);
}

void TSearchForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;  // restored from the task bar, not shown by the program
  if (OnShownChanged) OnShownChanged(true);
  UpdateSearchEnabled();
}

void TSearchForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;  // minimised
  if (OnShownChanged) OnShownChanged(false);
}

void TSearchForm::LoadSearchSettings(const std::string& dir) {
  setObjectName(QStringLiteral("Form2"));
  SearchSettings defaults;
  const WindowPlace centred = CenteredPlace(*this);
  defaults.Left = centred.Left;
  defaults.Top = centred.Top;
  defaults.Width = centred.Width;
  defaults.Height = centred.Height;
  defaults.IgnoreCase = ignoreCaseBox->isChecked();
  defaults.Enhanced = compoundBox->isChecked();
  defaults.IgnoreCode = IgnoreCodeFromIndex(ignoreCodeList->currentIndex());
  defaults.IncludeHeader = includeHeaderBox->isChecked();
  FSettingsReport = {};
  SearchSettings s = ReadSearchSettings(dir, defaults, &FSettingsReport);

  // Fitted to the desktop before it is applied; a place and size that cannot be used give way to
  // the defaults.
  FitToDesktop(s, defaults, DesktopOf(*this));
  setGeometry(s.Left, s.Top, s.Width, s.Height);
  SetStayOnTop(s.FormStyle == SearchFormStyle::StayOnTop);
  if (OnStayOnTopChanged) OnStayOnTopChanged(StayOnTop());
  setVisible(s.Visible);
  ignoreCaseBox->setChecked(s.IgnoreCase);
  compoundBox->setChecked(s.Enhanced);
  ignoreCodeList->setCurrentIndex(static_cast<int>(s.IgnoreCode));
  includeHeaderBox->setChecked(s.IncludeHeader);
  if (!FSettingsReport.Problems.empty())
    Dialogs().MessageBox(this, U(SettingsReadProblemsText(FSettingsReport)), ApplicationTitle(),
                         MsgButtons::Ok, MsgIcon::Warning, ModalResult::Ok);
}

bool TSearchForm::SaveSearchSettings(const std::string& dir) {
  setObjectName(QStringLiteral("Form2"));
  SearchSettings s;
  s.Visible = isVisible();
  s.FormStyle = StayOnTop() ? SearchFormStyle::StayOnTop : SearchFormStyle::Normal;
  const QRect r = geometry();
  s.Left = r.left();
  s.Top = r.top();
  s.Width = r.width();
  s.Height = r.height();
  s.IgnoreCase = ignoreCaseBox->isChecked();
  s.Enhanced = compoundBox->isChecked();
  s.IgnoreCode = IgnoreCodeFromIndex(ignoreCodeList->currentIndex());
  s.IncludeHeader = includeHeaderBox->isChecked();
  FSettingsReport.Problems.clear();
  if (WriteSearchSettings(dir, s, &FSettingsReport)) return true;
  Dialogs().MessageBox(this, U(SettingsWriteProblemsText(FSettingsReport)),
                       QStringLiteral("エラー"), MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
  return false;
}

}  // namespace yuzulog
