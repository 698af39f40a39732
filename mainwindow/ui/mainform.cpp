#include "mainwindow/ui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#ifdef YUZULOG_HAVE_WEBENGINE
#include <QWebEngineSettings>
#include <QWebEngineView>
#endif

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/progressdlg.h"
#include "dialogs/waitcursor.h"
#include "mainwindow/cmdline.h"
#include "mainwindow/ui/glyphs.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/qtfont.h"

namespace yuzulog {
namespace {

QString U(const std::string& s) {
  return QString::fromStdString(s);
}

// Paths keep the file system's bytes; the interface shows them decoded.
std::string PathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// The design size of the window's client area.
constexpr int kDesignWidth = 696;
constexpr int kDesignHeight = 480;
constexpr int kDesignTreeWidth = 249;

// The reload question's answers are the four-answer box's buttons; Cancel is the box closed.
constexpr std::pair<ReloadAnswer, ModalResult> kReloadButtons[] = {
    {ReloadAnswer::Yes, ModalResult::Yes},           {ReloadAnswer::No, ModalResult::No},
    {ReloadAnswer::YesToAll, ModalResult::YesToAll}, {ReloadAnswer::NoToAll, ModalResult::NoToAll},
    {ReloadAnswer::Cancel, ModalResult::Cancel},
};

// The parent for a box asked during an operation: the progress window when it runs.
QWidget* BoxParent(QWidget* fallback) {
  QWidget* modal = QApplication::activeModalWidget();
  return modal ? modal : fallback;
}

}  // namespace

// The load loop's questions and notices, answered with the window's boxes.
class TMainForm::LoadCallbacksImpl final : public LoadCallbacks {
 public:
  explicit LoadCallbacksImpl(TMainForm& form) : FForm(form) {}

  ReloadAnswer AskReload(const std::string& caption, const std::string& message,
                         ReloadAnswer defaultAnswer) override {
    ModalResult defaultButton = ModalResult::No;
    for (const auto& [answer, button] : kReloadButtons)
      if (answer == defaultAnswer) defaultButton = button;
    const ModalResult pressed =
        Dialogs().AskYesNoAll(U(message), U(caption), defaultButton, Qt::AlignLeft);
    for (const auto& [answer, button] : kReloadButtons)
      if (button == pressed) return answer;
    return ReloadAnswer::Cancel;
  }
  bool AskStopAfterFailure(const std::string& message) override {
    return Dialogs().MessageBox(BoxParent(&FForm), U(message), QStringLiteral("エラー"),
                                MsgButtons::YesNo, MsgIcon::Error,
                                ModalResult::Yes) == ModalResult::Yes;
  }
  void NoticeCancelled(const std::string& message) override {
    Dialogs().MessageBox(BoxParent(&FForm), U(message), ApplicationTitle(), MsgButtons::Ok,
                         MsgIcon::None, ModalResult::Ok);
  }
  void ClearViews() override { FForm.ClearViews(); }
  void TreeBuilt() override { FForm.TreeBuilt(); }
  void ShowStatus(const std::string& text) override { FForm.SetStatus(U(text)); }

 private:
  TMainForm& FForm;
};

TMainForm::TMainForm(std::vector<std::string> args, QWidget* parent)
    : QMainWindow(parent), FArgs(std::move(args)) {
  ShiftHeld = [] { return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; };
  FormCreate();
}

TMainForm::~TMainForm() {
  // FormDestroy: nothing may refer to a loaded message when the files go.
  FTreeChangeDetached = true;
  ClearViews();
  FLogFiles.Clear();
}

std::string TMainForm::GetParamValue(std::string_view key) const {
  return yuzulog::GetParamValue(FArgs, key);
}

void TMainForm::FormCreate() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(ApplicationTitle());
  setWindowIcon(GlyphIcon(kGlyphLogData));
  setFont(ToQFont(FBaseFont));
  resize(kDesignWidth, kDesignHeight);

  CreateActions();
  CreateMenus();
  CreateToolBars();

  TreeView1 = new QTreeView(this);
  TreeView1->setObjectName(QStringLiteral("TreeView1"));
  TreeView1->setHeaderHidden(true);
  TreeView1->setUniformRowHeights(true);
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
  TreeView1->setIndentation(19);
  // A font of its own, so the window's font (the message font) reaches the tree only where the
  // settings say so.
  TreeView1->setFont(ToQFont(FBaseFont));
  TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
  // The selection stays visible when the tree loses the focus.
  QPalette pal = TreeView1->palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight,
               pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
               pal.color(QPalette::Active, QPalette::HighlightedText));
  TreeView1->setPalette(pal);
  FTreeModel = new MessageTreeModel(FTree, this);
  TreeView1->setModel(FTreeModel);
  // Long labels scroll sideways instead of being cut off; only rows on screen are measured.
  TreeView1->header()->setStretchLastSection(false);
  TreeView1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  connect(TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { TreeView1Change(current); });
  TreeView1->viewport()->installEventFilter(this);
  connect(TreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    PopupMenuTreeView->popup(TreeView1->viewport()->mapToGlobal(p));
  });

  Splitter1 = new QSplitter(Qt::Horizontal, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  Splitter1->addWidget(TreeView1);
  setCentralWidget(Splitter1);

  StatusBar1 = new QLabel(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  statusBar()->addWidget(StatusBar1, 1);
  statusBar()->setSizeGripEnabled(true);

  FOldSystem = GetParamInteger(FArgs, kOldSystemKey) != 0;
  CreateView(GetParamInteger(FArgs, kViewModeKey));
  Splitter1->setSizes({kDesignTreeWidth, kDesignWidth - kDesignTreeWidth - 3});

  FKeyFont = FBaseFont;
  FKeyFont.Color = kClBlue;
  SetSplitVertical(true);
  FScreenshotPath = QString::fromStdString(GetParamValue(kScreenshotKey));
}

void TMainForm::CreateActions() {
  const auto make = [this](const char* name, const char* caption, const char* hint,
                           QKeySequence shortcut, int glyph, bool enabled) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
    a->setObjectName(QString::fromUtf8(name));
    if (hint) {
      a->setToolTip(QString::fromUtf8(hint));
      a->setStatusTip(QString::fromUtf8(hint));
    } else {
      a->setToolTip(
          QString::fromUtf8(caption).remove(QRegularExpression(QStringLiteral("\\(&.\\)|&"))));
    }
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    if (glyph >= 0) a->setIcon(GlyphIcon(glyph));
    // Commands whose behaviour arrives with a later part of the program stay disabled until then.
    a->setEnabled(enabled);
    addAction(a);
    return a;
  };
  ActionOpenArchive = make("ActionOpenArchive", "開く(&O)", "ファイルを開く",
                           QKeySequence(Qt::CTRL | Qt::Key_O), kGlyphOpen, true);
  ActionAddArchive =
      make("ActionAddArchive", "追加(&A)", "ファイルを追加する", {}, kGlyphAdd, true);
  ActionLogData = make("ActionLogData", "ログデータの構成(&L)",
                       "ログデータ管理ダイアログを表示する", {}, kGlyphLogData, false);
  ActionExit = make("ActionExit", "終了(&X)", nullptr, {}, -1, true);
  ActionFontSelect = make("ActionFontSelect", "フォント(&F)", "発言の表示フォントを変更します", {},
                          kGlyphFont, false);
  ActionWordWrap = make("ActionWordWrap", "ワードラップ(&W)",
                        "発言の表示でワードラップするかどうかの設定", {}, kGlyphWordWrap, false);
  ActionWordWrap->setCheckable(true);
  ActionSearch = make("ActionSearch", "検索フォーム(&F)", "検索フォームの表示",
                      QKeySequence(Qt::CTRL | Qt::Key_F), kGlyphSearch, false);
  ActionAbout = make("ActionAbout", "バージョン情報(&A)", "バージョン情報", {}, kGlyphAbout, false);
  ActionKeyFontSelect =
      make("ActionKeyFontSelect", "検索キーのフォント(&K)", nullptr, {}, kGlyphKeyFont, false);
  ActionSearchStayOnTop = make("ActionSearchStayOnTop", "検索フォームを常に手前に表示(&S)",
                               "検索フォームを常に手前に表示します。", {}, -1, false);
  ActionSearchStayOnTop->setCheckable(true);
  ActionGotoMsg =
      make("ActionGotoMsg", "移動(&G)", nullptr, QKeySequence(Qt::CTRL | Qt::Key_G), -1, false);
  ActionPrev =
      make("ActionPrev", "", nullptr, QKeySequence(Qt::ALT | Qt::Key_Backspace), -1, false);
  ActionCopyCurrentMsg = make("ActionCopyCurrentMsg", "発言をコピー", nullptr,
                              QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C), -1, false);

  connect(ActionOpenArchive, &QAction::triggered, this, &TMainForm::ActionOpenArchiveExecute);
  connect(ActionAddArchive, &QAction::triggered, this, &TMainForm::ActionAddArchiveExecute);
  connect(ActionExit, &QAction::triggered, this, &TMainForm::ActionExitExecute);
}

void TMainForm::CreateMenus() {
  const auto menu = [this](const char* name, const QString& title = {}) {
    auto* m = new QMenu(title, this);
    m->setObjectName(QString::fromUtf8(name));
    m->setToolTipsVisible(true);
    return m;
  };
  const auto item = [this](const char* name, const char* caption, bool enabled) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
    a->setObjectName(QString::fromUtf8(name));
    a->setEnabled(enabled);
    return a;
  };

  PopupMenuCtrlBar = menu("PopupMenuCtrlBar", QStringLiteral("ツールバー(&T)"));
  File_Tool_Menu = item("File_Tool_Menu", "[ファイル]と[ツール]", true);
  View_Help_Menu = item("View_Help_Menu", "[表示]と[ヘルプ]", true);
  for (QAction* a : {File_Tool_Menu, View_Help_Menu}) {
    a->setCheckable(true);
    a->setChecked(true);
    PopupMenuCtrlBar->addAction(a);
  }

  PopupMenuLogSet = menu("PopupMenuLogSet", QStringLiteral("ログセット(&L)"));
  PopupMenuLogSet->setIcon(GlyphIcon(kGlyphLogSet));
  PopupMenuLogSet->addSeparator();
  AddLogSetMenu = item("AddLogSetMenu", "登録(&A)", false);
  RemoveLogSetMenu = item("RemoveLogSetMenu", "削除(R&)", false);
  PopupMenuLogSet->addAction(AddLogSetMenu);
  PopupMenuLogSet->addAction(RemoveLogSetMenu);

  MenuReopen = menu("MenuReopen", QStringLiteral("最近使ったフォルダから開く(&R)"));
  MenuReopen->setEnabled(false);

  PopupMenuFile = menu("PopupMenuFile");
  PopupMenuFile->addAction(ActionOpenArchive);
  PopupMenuFile->addAction(ActionAddArchive);
  PopupMenuFile->addMenu(MenuReopen);
  PopupMenuFile->addMenu(PopupMenuLogSet);
  PopupMenuFile->addAction(ActionLogData);
  PopupMenuFile->addSeparator();
  PopupMenuFile->addAction(ActionExit);

  PopupMenuTool = menu("PopupMenuTool");
  PopupMenuTool->addAction(ActionSearch);
  PopupMenuTool->addAction(ActionGotoMsg);
  PopupMenuTool->addAction(ActionCopyCurrentMsg);

  MenuSplit = item("MenuSplit", "縦に分割する(&V)", false);
  BkColor = item("BkColor", "背景色(&B)", false);
  PopupMenuView = menu("PopupMenuView");
  PopupMenuView->addMenu(PopupMenuCtrlBar);
  PopupMenuView->addAction(MenuSplit);
  PopupMenuView->addAction(ActionSearchStayOnTop);
  PopupMenuView->addSeparator();
  PopupMenuView->addAction(ActionFontSelect);
  PopupMenuView->addAction(ActionWordWrap);
  PopupMenuView->addAction(BkColor);
  PopupMenuView->addAction(ActionKeyFontSelect);

  PopupMenuHelp = menu("PopupMenuHelp");
  PopupMenuHelp->addAction(ActionAbout);

  PopupMenuTreeView = menu("PopupMenuTreeView");
  PopupMenuTreeView->addAction(ActionGotoMsg);
}

QToolButton* TMainForm::MenuButton(const QString& caption, QMenu* menu) {
  auto* b = new QToolButton(ToolBarMenu);
  b->setText(caption);
  b->setMenu(menu);
  b->setPopupMode(QToolButton::InstantPopup);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  // The drop-down arrow would make the buttons look like tool buttons, not a menu bar.
  b->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
  ToolBarMenu->addWidget(b);
  return b;
}

void TMainForm::CreateToolBars() {
  const auto bar = [this](const char* name) {
    auto* t = new QToolBar(this);
    t->setObjectName(QString::fromUtf8(name));
    t->setIconSize(QSize(16, 16));
    t->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(t, &QWidget::customContextMenuRequested, this,
            [this, t](const QPoint& p) { PopupMenuCtrlBar->popup(t->mapToGlobal(p)); });
    return t;
  };
  ToolBarMenu = bar("ToolBarMenu");
  ToolBarMenu->toggleViewAction()->setEnabled(false);  // the menu bar cannot be hidden
  MenuButton(QStringLiteral("ファイル(&F)"), PopupMenuFile);
  MenuButton(QStringLiteral("ツール(&T)"), PopupMenuTool);
  MenuButton(QStringLiteral("表示(&V)"), PopupMenuView);
  ToolBarMenu->addSeparator();
  MenuButton(QStringLiteral("ヘルプ(&H)"), PopupMenuHelp);

  ToolBar1 = bar("ToolBar1");
  ToolBar1->addAction(ActionOpenArchive);
  ToolBar1->addAction(ActionAddArchive);
  ToolButtonLogSet = new QToolButton(ToolBar1);
  ToolButtonLogSet->setObjectName(QStringLiteral("ToolButtonLogSet"));
  ToolButtonLogSet->setIcon(GlyphIcon(kGlyphLogSet));
  ToolButtonLogSet->setToolTip(QStringLiteral("ログセット"));
  ToolButtonLogSet->setMenu(PopupMenuLogSet);
  ToolButtonLogSet->setPopupMode(QToolButton::InstantPopup);
  ToolBar1->addWidget(ToolButtonLogSet);
  ToolBar1->addAction(ActionLogData);
  ToolBar1->addSeparator();
  ToolBar1->addAction(ActionSearch);

  ToolBar2 = bar("ToolBar2");
  ToolBtnSplit = new QToolButton(ToolBar2);
  ToolBtnSplit->setObjectName(QStringLiteral("ToolBtnSplit"));
  ToolBtnSplit->setEnabled(false);
  ToolBar2->addWidget(ToolBtnSplit);
  ToolBar2->addAction(ActionFontSelect);
  ToolBar2->addAction(ActionWordWrap);
  ToolBar2->addSeparator();
  ToolBar2->addAction(ActionAbout);

  addToolBar(Qt::TopToolBarArea, ToolBarMenu);
  addToolBarBreak(Qt::TopToolBarArea);
  addToolBar(Qt::TopToolBarArea, ToolBar1);
  addToolBar(Qt::TopToolBarArea, ToolBar2);
  // The tool-bar items show or hide the two tool bars.
  connect(File_Tool_Menu, &QAction::toggled, ToolBar1, &QWidget::setVisible);
  connect(View_Help_Menu, &QAction::toggled, ToolBar2, &QWidget::setVisible);
}

void TMainForm::CreateView(int mode) {
  int index = Splitter1->count() > 1 ? 1 : -1;
  if (FView) delete FView.data();
  FBrowserView = false;
#ifdef YUZULOG_HAVE_WEBENGINE
  if (mode == 0) {
    auto* web = new QWebEngineView;
    // Pages are the program's own; nothing in a log is ever run.
    web->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    web->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    FView = web;
    FBrowserView = true;
  }
#endif
  if (!FView) {
    // Mode 0 without the browser engine shows the rich-text view as well.
    auto* text = new QTextEdit;
    text->setReadOnly(true);
    text->setFont(font());
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FView = text;
  }
  (void)mode;
  FView->setObjectName(QStringLiteral("FView"));
  if (index < 0)
    Splitter1->addWidget(FView);
  else
    Splitter1->insertWidget(index, FView);
  Splitter1->setStretchFactor(1, 1);
  ApplyColor();
}

void TMainForm::SetSplitVertical(bool vertical) {
  const bool isVertical = Splitter1->orientation() == Qt::Horizontal;
  if (vertical != isVertical) {
    QList<int> sizes = Splitter1->sizes();
    const int treeSize = sizes.value(0);
    if (vertical) {
      const int w = centralWidget()->width();
      Splitter1->setOrientation(Qt::Horizontal);
      Splitter1->setSizes({w / 3, std::max(0, w - w / 3 - 3)});
    } else {
      const int h = centralWidget()->height();
      Splitter1->setOrientation(Qt::Vertical);
      Splitter1->setSizes({treeSize / 3, std::max(0, h - treeSize / 3 - 3)});
    }
  }
  FSplitVertical = vertical;
  // The split command names the layout it switches to.
  const QString caption =
      vertical ? QStringLiteral("横に分割する(&H)") : QStringLiteral("縦に分割する(&V)");
  const QString hint = caption.left(6);
  const int glyph = vertical ? kGlyphSplitHorizontal : kGlyphSplitVertical;
  MenuSplit->setText(caption);
  MenuSplit->setToolTip(hint);
  MenuSplit->setIcon(GlyphIcon(glyph));
  ToolBtnSplit->setIcon(GlyphIcon(glyph));
  ToolBtnSplit->setToolTip(hint);
  ToolBtnSplit->setProperty("glyph", glyph);
}

void TMainForm::ApplyColor() {
  const QColor c = ToQColor(FColor);
  if (auto* text = qobject_cast<QTextEdit*>(FView.data())) {
    QPalette p = text->palette();
    p.setColor(QPalette::Base, c);
    text->setPalette(p);
  }
  if (!FOldSystem && TreeView1) {
    QPalette p = TreeView1->palette();
    p.setColor(QPalette::Base, c);
    TreeView1->setPalette(p);
    // The search window's result list takes the same colour when it is connected.
  }
}

void TMainForm::LoadSettings(const std::string& dir) {
  MainSettings defaults;
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  defaults.Rect = CenteredRect(avail.width(), avail.height(), width(), height());
  defaults.Rect.Left += avail.left();
  defaults.Rect.Right += avail.left();
  defaults.Rect.Top += avail.top();
  defaults.Rect.Bottom += avail.top();
  defaults.SplitVert = FSplitVertical;
  defaults.WordWrap = ActionWordWrap->isChecked();
  defaults.Color = kClWindow;
  defaults.BaseFont = FBaseFont;
  defaults.KeyFont = FKeyFont;
  const MainSettings s = ReadMainSettings(dir, defaults);

  FInterwayPrefix = s.InterwayPrefix;
  // A rectangle with no area cannot be a window's; the current size stays then.
  if (s.Rect.Width() > 0 && s.Rect.Height() > 0)
    setGeometry(s.Rect.Left, s.Rect.Top, s.Rect.Width(), s.Rect.Height());
  if (s.WindowState == kWsMaximized)
    setWindowState(Qt::WindowMaximized);
  else if (s.WindowState == kWsMinimized)
    setWindowState(Qt::WindowMinimized);
  SetSplitVertical(s.SplitVert);
  if (s.SplitWidth > 0) {
    const int total = FSplitVertical ? centralWidget()->width() : centralWidget()->height();
    Splitter1->setSizes({s.SplitWidth, std::max(0, total - s.SplitWidth - 3)});
  }
  ActionWordWrap->setChecked(s.WordWrap);
  FColor = s.Color;
  ApplyColor();
  ClearView();
  FBaseFont = s.BaseFont;
  if (!FOldSystem) TreeView1->setFont(ToQFont(FBaseFont));
  FKeyFont = s.KeyFont;
  FRecentFolders = ReadListFile(dir + kRecentFile);
  FLogSets = ReadListFile(dir + kLogSetFile);
  setFont(ToQFont(FBaseFont));
}

bool TMainForm::SaveSettings(const std::string& dir) {
  MainSettings s;
  s.WindowState = isMaximized() ? kWsMaximized : isMinimized() ? kWsMinimized : kWsNormal;
  const QRect r = (isMaximized() || isMinimized()) && normalGeometry().isValid() ? normalGeometry()
                                                                                 : geometry();
  s.Rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  s.SplitVert = FSplitVertical;
  s.SplitWidth = Splitter1->sizes().value(0);
  s.WordWrap = ActionWordWrap->isChecked();
  s.Color = FColor;
  s.BaseFont = FBaseFont;
  s.KeyFont = FKeyFont;
  bool ok = WriteMainSettings(dir, s);
  ok = WriteListFile(dir + kRecentFile, FRecentFolders) && ok;
  ok = WriteListFile(dir + kLogSetFile, FLogSets) && ok;
  return ok;
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!FShownOnce) {
    FShownOnce = true;
    // After the window has appeared, so the progress window opens over it.
    QTimer::singleShot(0, this, [this] { FormShow(); });
  }
}

void TMainForm::FormShow() {
  // The "LogSet:" key is handled here once log sets are connected.
  std::vector<std::string> files;
  for (const std::string& f : FileArguments(FArgs))
    files.push_back(f);
  if (!files.empty()) LoadFileList(files, false);
  if (!FScreenshotPath.isEmpty()) QTimer::singleShot(300, this, [this] { TakeScreenshot(); });
}

void TMainForm::TakeScreenshot() {
  if (!grab().save(FScreenshotPath, "PNG"))
    qWarning("yuzulog: cannot write the screenshot %s", qPrintable(FScreenshotPath));
  ActionExitExecute();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  const ModalResult answer =
      Dialogs().MessageBox(this, QStringLiteral("終了しますか？"), ApplicationTitle(),
                           MsgButtons::OkCancel, MsgIcon::None, ModalResult::Cancel);
  if (answer != ModalResult::Ok) {
    event->ignore();
    return;
  }
  // Tearing down the tree must not ask for anything to be shown.
  FTreeChangeDetached = true;
  event->accept();
}

void TMainForm::ActionExitExecute() {
  if (OnExit)
    OnExit();
  else
    QCoreApplication::exit(0);
}

QString TMainForm::StatusText() const {
  return StatusBar1->text();
}

void TMainForm::SetStatus(const QString& text) {
  StatusBar1->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
}

QAction* TMainForm::Action(const QString& objectName) const {
  return findChild<QAction*>(objectName);
}
QMenu* TMainForm::Menu(const QString& objectName) const {
  return findChild<QMenu*>(objectName);
}
QToolBar* TMainForm::ToolBar(const QString& objectName) const {
  return findChild<QToolBar*>(objectName);
}

// ---- loading -------------------------------------------------------------------------------

std::vector<std::string> TMainForm::ChooseLogFiles() {
  std::vector<std::string> paths;
  for (const QString& p : Dialogs().GetOpenFileNames(this, {}, {}, LogFileFilter()))
    paths.push_back(PathBytes(p));
  return paths;
}

void TMainForm::ActionOpenArchiveExecute() {
  const std::vector<std::string> paths = ChooseLogFiles();
  if (paths.empty()) return;
  WaitCursor wait;
  // The chosen folder is recorded here once recent folders are connected.
  if (!FLogFiles.Empty() && ShiftHeld && ShiftHeld()) {
    const ModalResult answer =
        Dialogs().MessageBox(this, QStringLiteral("ログファイルを追加モードで開きますか？"),
                             QStringLiteral("ログファイルを開く"), MsgButtons::YesNoCancel,
                             MsgIcon::Question, ModalResult::Cancel);
    if (answer == ModalResult::Yes)
      LoadFileList(paths, true);
    else if (answer == ModalResult::No)
      LoadFileList(paths, false);
  } else {
    LoadFileList(paths, false);
  }
}

void TMainForm::ActionAddArchiveExecute() {
  const std::vector<std::string> paths = ChooseLogFiles();
  if (paths.empty()) return;
  WaitCursor wait;
  LoadFileList(paths, true);
}

void TMainForm::LoadFileList(const std::vector<std::string>& paths, bool add) {
  WaitCursor wait;
  TProgressDlg dlg(this);
  dlg.SetOptions(pdoLabel | pdoProgressBar);
  dlg.SetCaption(add ? "ログファイルの追加" : "ログファイルの読み込み");
  dlg.Execute([this, add, &paths](TProgressDlg& d) {
    LoadCallbacksImpl callbacks(*this);
    d.SetOptions(d.Options() | pdoCancelBtn);
    if (add)
      ExecuteAdd(FLogFiles, FTree, paths, d, callbacks);
    else
      ExecuteOpen(FLogFiles, FTree, paths, d, callbacks);
    d.SetOptions(d.Options() & ~pdoCancelBtn);
    ShowLoadReport(d);
  });
  ExpandIfSingleRoom();
  // The search window's commands follow what is loaded once it is connected.
}

void TMainForm::ShowLoadReport(TProgressDlg&) {
  const LoadReport report = BuildLoadReport(FLogFiles);
  SetStatus(U(report.StatusText));
  if (report.OverlapLines.empty()) {
    Dialogs().ShowTimedNotice(U(report.StatusText), 1000);
  } else if (Dialogs().MessageBox(BoxParent(this), U(report.WarningText()),
                                  QStringLiteral("ログデータの警告"), MsgButtons::YesNo,
                                  MsgIcon::Warning, ModalResult::Yes) == ModalResult::Yes) {
    // The log list dialog opens here once it is connected.
    if (ActionLogData->isEnabled()) ActionLogData->trigger();
  }
}

void TMainForm::ExpandIfSingleRoom() {
  if (FLogFiles.SingleRoom() && FTreeModel->rowCount() > 0)
    TreeView1->expand(FTreeModel->index(0, 0));
}

void TMainForm::ClearView() {
  if (auto* text = qobject_cast<QTextEdit*>(FView.data())) text->clear();
#ifdef YUZULOG_HAVE_WEBENGINE
  if (auto* web = qobject_cast<QWebEngineView*>(FView.data())) web->setHtml(QString());
#endif
}

void TMainForm::ClearViews() {
  // The result list and the history are emptied here once they are connected.
  FCurrentMessage = nullptr;
  ClearView();
  const bool detached = FTreeChangeDetached;
  FTreeChangeDetached = true;
  FTreeModel->BeginTreeChange();
  FTree.Clear();
  FTreeModel->EndTreeChange();
  FTreeChangeDetached = detached;
}

void TMainForm::TreeBuilt() {
  FTreeModel->BeginTreeChange();
  FTreeModel->EndTreeChange();
  TreeView1->selectionModel()->clear();
  if (FTree.FirstNode() != MessageTree::kNone)
    TreeView1->setCurrentIndex(FTreeModel->IndexOfNode(FTree.FirstNode()));
}

void TMainForm::RemoveLogFiles(const std::vector<const TLogData*>& files) {
  WaitCursor wait;
  TProgressDlg dlg(this);
  dlg.SetOptions(pdoLabel | pdoProgressBar);
  dlg.Execute([this, &files](TProgressDlg& d) {
    LoadCallbacksImpl callbacks(*this);
    yuzulog::RemoveLogFiles(FLogFiles, FTree, files, d, callbacks);
  });
  ExpandIfSingleRoom();
  SetStatus(U(MessageTotalText(FLogFiles.TotalMessages())));
}

// ---- the tree ------------------------------------------------------------------------------

void TMainForm::TreeView1Change(const QModelIndex& current) {
  if (FTreeChangeDetached || FTree.Building() || !current.isValid()) return;
  RequestShow(TreeView1, FTree.At(MessageTreeModel::NodeOf(current)).Message);
}

void TMainForm::TreeView1MouseDown(const QModelIndex& at) {
  // A click on the node that is already selected shows its message again (after a jump the
  // view may show another message than the selected node).
  if (at.isValid() && at == TreeView1->currentIndex()) TreeView1Change(at);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == TreeView1->viewport() && event->type() == QEvent::MouseButtonPress) {
    const auto* me = static_cast<QMouseEvent*>(event);
    TreeView1MouseDown(TreeView1->indexAt(me->position().toPoint()));
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::RequestShow(QObject* requester, const TLogMessage* message) {
  FRequester = requester;
  FCurrentMessage = message;
  FRequestTick.start();
  FUpdatePending = true;
  ++FShowRequests;
}

}  // namespace yuzulog
