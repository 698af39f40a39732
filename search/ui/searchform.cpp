#include "search/ui/searchform.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
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
#include <QScreen>
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
#include "dialogs/noticeboxes.h"
#include "dialogs/progressdlg.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/settings.h"
#include "mainwindow/ui/mainform.h"
#include "mainwindow/ui/qtfont.h"
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

const char* const kFieldNames[] = {"Edit1", "Edit2", "Edit3", "Edit4", "EditID", "EditName"};
const char* const kCheckBoxNames[] = {"CheckBox1", "CheckBox2",  "CheckBox3",
                                      "CheckBox4", "CheckBoxID", "CheckBoxName"};

QString U(const std::string& s) {
  return QString::fromStdString(s);
}

// Paths keep the file system's bytes; the interface shows them decoded.
std::string PathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QCheckBox* CheckBox(QWidget* parent, const char* name, const char* caption, const char* hint) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QString::fromUtf8(name));
  if (hint) box->setToolTip(QString::fromUtf8(hint));
  return box;
}

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

TSearchForm::TSearchForm(TMainForm& mainForm) : QWidget(nullptr), FMainForm(&mainForm) {
  OpenDocument = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
  FormCreate();
  mainForm.SetSearchWindow(this);
  // A message the list asked for is drawn with the hits of the last search.
  mainForm.SetHitSource(
      {ListView1, [this](std::vector<std::int64_t>& pairs, const TLogMessage& message) {
         FState.GetHitRanges(pairs, message);
       }});
}

TSearchForm::~TSearchForm() {
  if (!FMainForm) return;
  FMainForm->SetHitSource({});
  FMainForm->SetSearchWindow(nullptr);
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

  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setFrameShape(QFrame::NoFrame);
  ScrollBox1->setWidgetResizable(true);
  ScrollBox1->setWidget(CreatePanel());
  // The panel never grows; the list takes the rest of the window.
  ScrollBox1->setFixedHeight(kPanelHeight);
  layout->addWidget(ScrollBox1);

  RollUpBtn = new QToolButton(this);
  RollUpBtn->setObjectName(QStringLiteral("RollUpBtn"));
  RollUpBtn->setAutoRaise(true);
  RollUpBtn->setFixedHeight(kRollUpHeight);
  RollUpBtn->setIconSize(QSize(16, 8));
  RollUpBtn->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  RollUpBtn->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(RollUpBtn);

  CreateList();
  layout->addWidget(ListView1, 1);

  auto* statusBar = new QStatusBar(this);
  statusBar->setSizeGripEnabled(true);
  StatusBar1 = new QLabel(statusBar);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  statusBar->addWidget(StatusBar1, 1);
  layout->addWidget(statusBar);

  CreatePopupMenu();

  // The wiring.
  for (int i = 0; i < kFieldCount; ++i) {
    connect(FEdits[i], &QLineEdit::textChanged, this, [this, i] { Edit1Change(i); });
    connect(FCheckBoxes[i], &QCheckBox::clicked, this, [this] { UpdateSearchEnabled(); });
    FEdits[i]->installEventFilter(this);
  }
  connect(IncludeHeader, &QCheckBox::toggled, this, [this] { IncludeHeaderClick(); });
  connect(Button1, &QPushButton::clicked, this, &TSearchForm::SearchButtonClick);
  connect(RollUpBtn, &QToolButton::clicked, this, [this] { RollUpBtnClick(); });
  connect(ListView1->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { ListView1ColumnClick(column); });
  connect(ListView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { ListView1Change(); });
  connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected) {
            // Only when the focused row is among the rows that became selected.
            const QModelIndex current = ListView1->selectionModel()->currentIndex();
            if (current.isValid() && selected.contains(current)) ListView1Change();
          });
  ListView1->installEventFilter(this);

  SetPanelVisible(true);
  UpdateSearchEnabled();
}

QWidget* TSearchForm::CreatePanel() {
  // Everything fits the design size without scrolling: rows as high as the window's font needs,
  // little space between them.
  const int rowHeight = fontMetrics().height() + 6;
  const auto compact = [](QLayout* layout, int top) {
    layout->setContentsMargins(4, top, 4, 2);
    layout->setSpacing(2);
  };
  auto* panel = new QWidget;
  auto* column = new QVBoxLayout(panel);
  compact(column, 2);

  const char* const kFieldHint = "検索に利用するかどうか設定します。";
  GroupBox1 = new QGroupBox(panel);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  auto* keys = new QGridLayout(GroupBox1);
  compact(keys, 0);
  for (int i = 0; i < kFieldCount; ++i) {
    const bool keyword = i < 4;
    QWidget* owner = keyword ? static_cast<QWidget*>(GroupBox1) : panel;
    FCheckBoxes[i] = CheckBox(owner, kCheckBoxNames[i], "", keyword ? kFieldHint : nullptr);
    FEdits[i] = new QLineEdit(owner);
    FEdits[i]->setObjectName(QString::fromUtf8(kFieldNames[i]));
    FEdits[i]->setFixedHeight(rowHeight);
    FEdits[i]->setMinimumWidth(40);
  }
  // The four keyword fields two by two, each with its check box at its left.
  for (int i = 0; i < 4; ++i) {
    keys->addWidget(FCheckBoxes[i], i / 2, (i % 2) * 2);
    keys->addWidget(FEdits[i], i / 2, (i % 2) * 2 + 1);
  }
  IgnoreCase = CheckBox(GroupBox1, "IgnoreCase", "半角英字の大・小文字を区別しない",
                        "‘City’を指定すると、‘CITY’や‘city’も抽出します。");
  IgnoreCase->setChecked(true);
  Enhanced = CheckBox(GroupBox1, "Enhanced", "複合キー （例：“ミカン,みかん,蜜柑”）",
                      "同じ意味の言葉を半角コンマで区切って複数指定できます。");
  IgnoreCode = new QComboBox(GroupBox1);
  IgnoreCode->setObjectName(QStringLiteral("IgnoreCode"));
  IgnoreCode->addItems({QStringLiteral("標準（特定コードを無視しない）"),
                        QStringLiteral("改行コードを無視する"),
                        QStringLiteral("改行と空白（半全角）を無視する")});
  IgnoreCode->setCurrentIndex(0);
  IgnoreCode->setToolTip(
      QStringLiteral("改行コードや空白などを無視して検索するかどうかを設定します。"));
  // Narrower than its longest item when the window is narrow; the drop-down shows them whole.
  IgnoreCode->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  IgnoreCode->setMinimumContentsLength(8);
  IgnoreCode->setFixedHeight(rowHeight);
  IncludeHeader = CheckBox(GroupBox1, "IncludeHeader", "発言ヘッダも検索対象に含める", nullptr);
  keys->addWidget(IgnoreCase, 2, 0, 1, 4);
  keys->addWidget(Enhanced, 3, 0, 1, 4);
  keys->addWidget(IgnoreCode, 4, 0, 1, 2);
  keys->addWidget(IncludeHeader, 4, 2, 1, 2);
  keys->setColumnStretch(1, 1);
  keys->setColumnStretch(3, 1);
  column->addWidget(GroupBox1);

  // Below: the ID and the handle name with their labels and check boxes, the original-only box,
  // and at the right the run button with the narrowing box.
  auto* lower = new QHBoxLayout;
  lower->setSpacing(6);
  auto* fields = new QGridLayout;
  fields->setContentsMargins(0, 0, 0, 0);
  fields->setSpacing(2);
  FEdits[4]->setToolTip(QStringLiteral("NIFTY-Serve のＩＤで検索します。"));
  FCheckBoxes[4]->setToolTip(QStringLiteral("検索にＩＤを使うかどうかを設定します。"));
  FEdits[5]->setToolTip(QStringLiteral("ハンドル名で検索します。"));
  FCheckBoxes[5]->setToolTip(QStringLiteral("検索にハンドル名を使うかどうかを設定します。"));
  const char* const kLabels[] = {"ＩＤ：", "ハンドル名："};
  for (int row = 0; row < 2; ++row) {
    fields->addWidget(new QLabel(QString::fromUtf8(kLabels[row]), panel), row, 0);
    fields->addWidget(FCheckBoxes[4 + row], row, 1);
    fields->addWidget(FEdits[4 + row], row, 2);
  }
  CheckBoxOrgMes = CheckBox(panel, "CheckBoxOrgMes", "元発言だけを検索する",
                            "他の発言へのコメントは対象からはずします。");
  fields->addWidget(CheckBoxOrgMes, 2, 0, 1, 3);
  fields->setColumnStretch(2, 1);
  lower->addLayout(fields, 1);

  GroupBox2 = new QGroupBox(QStringLiteral("検索を実行する"), panel);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  auto* run = new QVBoxLayout(GroupBox2);
  compact(run, 0);
  Button1 = new QPushButton(QStringLiteral("実行"), GroupBox2);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setToolTip(QStringLiteral("検索を実行します。"));
  Button1->setFixedHeight(rowHeight);
  CheckBoxNest = CheckBox(GroupBox2, "CheckBoxNest", "検索結果の絞り込み",
                          "検索結果のリストから更に検索します");
  run->addWidget(Button1);
  run->addWidget(CheckBoxNest);
  lower->addWidget(GroupBox2, 0, Qt::AlignTop);
  column->addLayout(lower);
  column->addStretch(1);

  IncludeHeaderClick();
  return panel;
}

void TSearchForm::CreateList() {
  ListView1 = new QTableView(this);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  FModel = new ResultListModel(FState.Results, ListView1);
  ListView1->setModel(FModel);
  SetUpResultView(*ListView1);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  KeepSelectionVisible(*ListView1);
}

void TSearchForm::CreatePopupMenu() {
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  const auto item = [this](const char* name, const char* caption, void (TSearchForm::*handler)()) {
    QAction* a = PopupMenu1->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromUtf8(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  CopyResultMenu =
      item("CopyResultMenu", "選択項目の発言をコピー(&C)", &TSearchForm::CopyResultMenuClick);
  SaveResultMenu = item("SaveResultMenu", "選択項目の発言をファイルに保存(&S)",
                        &TSearchForm::SaveResultMenuClick);
  SelectAllMenu =
      item("SelectAllMenu", "全ての項目を選択する(&A)", &TSearchForm::SelectAllMenuClick);
  connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
  connect(ListView1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });
}

// ---- the condition panel -------------------------------------------------------------------

SearchFields TSearchForm::TypedFields() const {
  SearchFields f;
  for (int i = 0; i < 4; ++i) {
    f.Edit[i] = FEdits[i]->text().toStdString();
    f.CheckBox[i] = FCheckBoxes[i]->isChecked();
  }
  f.EditID = FEdits[4]->text().toStdString();
  f.CheckBoxID = FCheckBoxes[4]->isChecked();
  f.EditName = FEdits[5]->text().toStdString();
  f.CheckBoxName = FCheckBoxes[5]->isChecked();
  f.IgnoreCase = IgnoreCase->isChecked();
  f.Enhanced = Enhanced->isChecked();
  f.IgnoreCode = IgnoreCodeFromIndex(IgnoreCode->currentIndex());
  f.IncludeHeader = IncludeHeader->isChecked();
  f.CheckBoxOrgMes = CheckBoxOrgMes->isChecked();
  return f;
}

bool TSearchForm::UpdateSearchEnabled() {
  const int nodes = FMainForm ? FMainForm->TreeNodeCount() : 0;
  const bool enabled = yuzulog::UpdateSearchEnabled(TypedFields(), nodes);
  Button1->setEnabled(enabled);
  CheckBoxNest->setEnabled(NarrowingEnabled(enabled, FState.Results.size()));
  return enabled;
}

void TSearchForm::Edit1Change(int field) {
  // Typing into a field makes it take part; emptying it takes it out.
  FCheckBoxes[field]->setChecked(!FEdits[field]->text().isEmpty());
  UpdateSearchEnabled();
}

void TSearchForm::SetPanelVisible(bool shown) {
  ScrollBox1->setVisible(shown);
  RollUpBtn->setIcon(ArrowGlyph(*RollUpBtn, shown));
  RollUpBtn->setToolTip(shown ? QStringLiteral("検索条件のパネルを隠します")
                              : QStringLiteral("検索条件のパネルを表示します"));
}

void TSearchForm::RollUpBtnClick() {
  SetPanelVisible(ScrollBox1->isHidden());
}

void TSearchForm::IncludeHeaderClick() {
  GroupBox1->setTitle(IncludeHeader->isChecked()
                          ? QStringLiteral("発言（ヘッダ＋本文）中のキーワード")
                          : QStringLiteral("本文中のキーワード"));
}

bool TSearchForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == ListView1) {
      if (key->modifiers() == Qt::ControlModifier && ListView1KeyDown(key->key())) return true;
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
  if (!FMainForm) return;
  const EncodedFields encoded = EncodeTypedFields(TypedFields());
  if (!encoded.Error.empty()) {
    StatusBar1->setText(U(encoded.Error));
    return;
  }

  SearchJob job;
  bool interrupted = false;
  long long listMs = 0;
  {
    WaitCursor wait;
    job.Narrow = CheckBoxNest->isEnabled() && CheckBoxNest->isChecked();
    TProgressDlg search(this);
    search.SetOptions(pdoLabel | pdoProgressBar | pdoCancelBtn);
    search.SetCaption(kSearchingText);
    const long long total =
        job.Narrow ? static_cast<long long>(FState.Results.size()) : FMainForm->TreeNodeCount();
    interrupted = search.Execute([&](TProgressDlg& d) {
      FState.SearchMessages(d, job, encoded.Fields, FMainForm->Files(), total);
    }) != ModalResult::Ok;

    const std::size_t hits = job.Hits.size();
    bool update = hits > 0;
    if (update && interrupted)
      update = Dialogs().MessageBox(this, U(kUpdateListQuestion), U(InterruptedCaption(hits)),
                                    MsgButtons::YesNo, MsgIcon::Question,
                                    ModalResult::No) == ModalResult::Yes;
    if (update) {
      QElapsedTimer listTime;
      listTime.start();
      ListView1->setUpdatesEnabled(false);
      TProgressDlg fill(this);
      fill.SetOptions(pdoLabel | pdoProgressBar);
      fill.SetCaption(HitCountText(hits));
      fill.Execute([&](TProgressDlg& d) {
        // One reset of the list: its rows are made on request from the results.
        FModel->BeginResultsChange();
        FState.FillResultList(d, job.Hits);
        FModel->EndResultsChange();
      });
      ListView1->setUpdatesEnabled(true);
      listMs = listTime.elapsed();
      ListView1->viewport()->update();
      StatusBar1->setText(U(HitCountText(hits)));
    }
  }
  FLastTimes = {job.ElapsedMs, listMs};
  Dialogs().ShowTimedNotice(
      U(SearchNoticeText(job.Hits.size(), interrupted, job.ElapsedMs + listMs)), 1000);
  UpdateSearchEnabled();
}

void TSearchForm::SearchFor(const std::vector<QString>& keywords) {
  for (std::size_t i = 0; i < keywords.size() && i < 4; ++i)
    FEdits[i]->setText(keywords[i]);
  show();
  raise();
  if (!UpdateSearchEnabled()) return;
  SearchButtonClick();
  // Like a pager opened at a pattern: the first hit is shown.
  if (FModel->rowCount() > 0) ListView1->setCurrentIndex(FModel->index(0, 0));
}

// ---- the result list -----------------------------------------------------------------------

void TSearchForm::ListView1Change() {
  const QModelIndex current = ListView1->selectionModel()->currentIndex();
  if (!FMainForm || !current.isValid() ||
      !ListView1->selectionModel()->isRowSelected(current.row()))
    return;
  if (const TLogMessage* m = FModel->MessageAt(current.row())) FMainForm->RequestShow(ListView1, m);
}

void TSearchForm::ListView1ColumnClick(int column) {
  WaitCursor wait;
  FModel->SortByColumn(FState.Results, FSortState, column, ListView1->selectionModel());
  const QModelIndex current = ListView1->selectionModel()->currentIndex();
  if (current.isValid()) ListView1->scrollTo(current, QAbstractItemView::EnsureVisible);
  ListView1->viewport()->update();
}

std::vector<bool> TSearchForm::SelectedRows() const {
  std::vector<bool> selected(FState.Results.size(), false);
  for (const QItemSelectionRange& range : ListView1->selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row)
      if (row >= 0 && static_cast<std::size_t>(row) < selected.size())
        selected[static_cast<std::size_t>(row)] = true;
  return selected;
}

std::size_t TSearchForm::SelectedCount(const std::vector<bool>& selected) const {
  return static_cast<std::size_t>(std::count(selected.begin(), selected.end(), true));
}

void TSearchForm::PopupMenu1Popup() {
  const std::size_t s = SelectedCount(SelectedRows());
  CopyResultMenu->setEnabled(s > 0);
  SaveResultMenu->setEnabled(s > 0);
  SelectAllMenu->setEnabled(s < FState.Results.size());
}

bool TSearchForm::ListView1KeyDown(int key) {
  if (key != Qt::Key_A && key != Qt::Key_C && key != Qt::Key_S) return false;
  const std::size_t s = SelectedCount(SelectedRows());
  if (key == Qt::Key_A && s < FState.Results.size()) SelectAllMenuClick();
  if (key == Qt::Key_C && s > 0) CopyResultMenuClick();
  if (key == Qt::Key_S && s > 0) SaveResultMenuClick();
  return true;
}

void TSearchForm::SelectAllMenuClick() {
  const int rows = FModel->rowCount();
  if (rows == 0) return;
  WaitCursor wait;
  ListView1->selectionModel()->select(
      QItemSelection(FModel->index(0, 0), FModel->index(rows - 1, FModel->columnCount() - 1)),
      QItemSelectionModel::Select);
}

void TSearchForm::CopyResultMenuClick() {
  WaitCursor wait;
  const std::vector<bool> selected = SelectedRows();
  std::vector<std::string> list;
  TProgressDlg dlg(this);
  dlg.SetOptions(pdoLabel | pdoProgressBar | pdoCancelBtn);
  dlg.SetText("コピーしています");
  const ModalResult result =
      dlg.Execute([&](TProgressDlg& d) { WriteSelected(d, FState.Results, selected, list); });
  if (result != ModalResult::Ok) {
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
  const std::vector<bool> selected = SelectedRows();
  SaveResult result;
  TProgressDlg dlg(this);
  dlg.SetOptions(pdoLabel | pdoProgressBar | pdoCancelBtn);
  dlg.SetText("ファイルに書き出しています");
  dlg.Execute([&](TProgressDlg& d) {
    result = SaveSelected(d, FState.Results, selected, PathBytes(path), mode);
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
  if (FOpenAnswerWasYes && OpenDocument) OpenDocument(path);
}

void TSearchForm::ClearResults() {
  StatusBar1->clear();
  FModel->BeginResultsChange();
  FState.ClearResults();
  FModel->EndResultsChange();
}

void TSearchForm::SetResultListColor(const QColor& color) {
  QPalette p = ListView1->palette();
  p.setColor(QPalette::Base, color);
  ListView1->setPalette(p);
}

void TSearchForm::SetResultListFont(const QFont& font) {
  ListView1->setFont(font);
  // The rows' one height follows the font.
  SetUpResultView(*ListView1);
}

// ---- the window ----------------------------------------------------------------------------

bool TSearchForm::StayOnTop() const {
  return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TSearchForm::SetStayOnTop(bool on) {
  if (on == StayOnTop()) return;
  // Changing a window's flags hides it; it comes back as it was.
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (shown) show();
}

void TSearchForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;  // restored from the task bar, not shown by the program
  if (FMainForm) FMainForm->MarkSearchShown(true);
  UpdateSearchEnabled();
}

void TSearchForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;  // minimised
  if (FMainForm) FMainForm->MarkSearchShown(false);
}

void TSearchForm::LoadSearchSettings(const std::string& dir) {
  setObjectName(QStringLiteral("Form2"));
  SearchSettings defaults;
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const WindowRect centred = CenteredRect(avail.width(), avail.height(), width(), height());
  defaults.Left = avail.left() + centred.Left;
  defaults.Top = avail.top() + centred.Top;
  defaults.Width = width();
  defaults.Height = height();
  defaults.IgnoreCase = IgnoreCase->isChecked();
  defaults.Enhanced = Enhanced->isChecked();
  defaults.IgnoreCode = IgnoreCodeFromIndex(IgnoreCode->currentIndex());
  defaults.IncludeHeader = IncludeHeader->isChecked();
  FSettingsReport = {};
  SearchSettings s = ReadSearchSettings(dir, defaults, &FSettingsReport);

  // Fitted to the desktop before it is applied; a place and size that cannot be used give way to
  // the defaults.
  const QRect desk = screen ? screen->availableVirtualGeometry() : avail;
  FitToDesktop(s, defaults,
               {desk.left(), desk.top(), desk.left() + desk.width(), desk.top() + desk.height()});
  setGeometry(s.Left, s.Top, s.Width, s.Height);
  SetStayOnTop(s.FormStyle == SearchFormStyle::StayOnTop);
  if (FMainForm) FMainForm->MarkSearchStayOnTop(StayOnTop());
  setVisible(s.Visible);
  IgnoreCase->setChecked(s.IgnoreCase);
  Enhanced->setChecked(s.Enhanced);
  IgnoreCode->setCurrentIndex(static_cast<int>(s.IgnoreCode));
  IncludeHeader->setChecked(s.IncludeHeader);
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
  s.IgnoreCase = IgnoreCase->isChecked();
  s.Enhanced = Enhanced->isChecked();
  s.IgnoreCode = IgnoreCodeFromIndex(IgnoreCode->currentIndex());
  s.IncludeHeader = IncludeHeader->isChecked();
  FSettingsReport.Problems.clear();
  if (WriteSearchSettings(dir, s, &FSettingsReport)) return true;
  Dialogs().MessageBox(this, U(SettingsWriteProblemsText(FSettingsReport)),
                       QStringLiteral("エラー"), MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
  return false;
}

}  // namespace yuzulog
