#include "mainwindow/ui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <cstdio>

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "mainwindow/cmdline.h"
#include "mainwindow/logsets.h"
#include "mainwindow/navigation.h"
#include "mainwindow/settings.h"
#include "mainwindow/ui/glyphs.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/qtfont.h"
#include "mainwindow/ui/searchwindow.h"
#include "platform/paths.h"

namespace yuzulog {
namespace {

// The design size of the window's client area.
constexpr int kDesignWidth = 696;
constexpr int kDesignHeight = 480;
constexpr int kDesignTreeWidth = 249;

// Requests quiet for this long are drawn: long enough to skip the messages an arrow key held in
// the tree passes over, short enough not to be noticed.
constexpr int kRenderDelayMs = 100;

// "Screenshot:" waits for the view to stay settled for kScreenshotQuietPolls polls, at most
// kScreenshotMaxPolls.
constexpr int kScreenshotPollMs = 50;
constexpr int kScreenshotQuietPolls = 6;
constexpr int kScreenshotMaxPolls = 400;

}  // namespace

TMainForm::TMainForm(const std::vector<std::string>& args, QWidget* parent) : QMainWindow(parent) {
  CommandLine cl = SplitCommandLine(args, PathExists);
  for (const std::string& unknown : cl.UnknownKeys)
    std::fprintf(stderr, "%s\n", UnknownKeyText(unknown).c_str());
  FArgs = std::move(cl.Keys);
  FFileArgs = std::move(cl.Files);
  ShiftHeld = [] { return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; };
  FormCreate();
}

TMainForm::~TMainForm() {
  // FormDestroy: nothing may refer to a loaded message when the files go, and the tree, torn
  // down after this body, must not ask for anything to be shown. The page files go with
  // FTempFiles.
  DetachTreeChange();
  FRenderTimer->stop();
  ForgetMessages();
  FLogFiles.Clear();
}

std::string TMainForm::GetParamValue(std::string_view key) const {
  return yuzulog::GetParamValue(FArgs, key);
}

void TMainForm::FormCreate() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(ApplicationTitle());
  setFont(ToQFont(FBaseFont));
  resize(kDesignWidth, kDesignHeight);

  CreateActions();
  CreateMenus();
  CreateToolBars();

  CreateTree();
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

  FTempFiles = std::make_unique<TempPageFiles>();
  FInterwayPrefix = kDefaultInterwayPrefix;
  FRenderTimer = new QTimer(this);
  FRenderTimer->setObjectName(QStringLiteral("FRenderTimer"));
  FRenderTimer->setSingleShot(true);
  FRenderTimer->setInterval(kRenderDelayMs);
  connect(FRenderTimer, &QTimer::timeout, this, &TMainForm::AppIdle);

  FOldSystem = GetParamInteger(FArgs, kOldSystemKey) != 0;
  CreateView(GetParamInteger(FArgs, kViewModeKey));
  Splitter1->setSizes({kDesignTreeWidth, kDesignWidth - kDesignTreeWidth - 3});
  // Tab walks the two panes, the tree first.
  setTabOrder(TreeView1, FView);
  TreeView1->setFocus();

  FKeyFont = FBaseFont;
  FKeyFont.Color = kClBlue;
  SetSplitVertical(true);
  FScreenshotPath = QString::fromStdString(GetParamValue(kScreenshotKey));

  // The wiring: commands to their handlers, the tree's events, the tool-bar items.
  connect(ActionOpenArchive, &QAction::triggered, this, &TMainForm::ActionOpenArchiveExecute);
  connect(ActionAddArchive, &QAction::triggered, this, &TMainForm::ActionAddArchiveExecute);
  connect(ActionExit, &QAction::triggered, this, &TMainForm::ActionExitExecute);
  connect(ActionGotoMsg, &QAction::triggered, this, &TMainForm::ActionGotoMsgExecute);
  connect(ActionPrev, &QAction::triggered, this, &TMainForm::ActionPrevExecute);
  connect(ActionCopyCurrentMsg, &QAction::triggered, this, &TMainForm::ActionCopyCurrentMsgExecute);
  connect(ActionSearch, &QAction::triggered, this, &TMainForm::ActionSearchExecute);
  connect(ActionSearchStayOnTop, &QAction::triggered, this,
          &TMainForm::ActionSearchStayOnTopExecute);
  connect(TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { TreeView1Change(current); });
  TreeView1->viewport()->installEventFilter(this);
  connect(TreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    PopupMenuTreeView->popup(TreeView1->viewport()->mapToGlobal(p));
  });
  connect(File_Tool_Menu, &QAction::toggled, ToolBar1, &QWidget::setVisible);
  connect(View_Help_Menu, &QAction::toggled, ToolBar2, &QWidget::setVisible);
  connect(ActionLogData, &QAction::triggered, this, &TMainForm::ActionLogDataExecute);
  connect(ActionFontSelect, &QAction::triggered, this, &TMainForm::ActionFontSelectExecute);
  connect(ActionKeyFontSelect, &QAction::triggered, this, &TMainForm::ActionKeyFontSelectExecute);
  connect(BkColor, &QAction::triggered, this, &TMainForm::BkColorClick);
  connect(ActionWordWrap, &QAction::triggered, this, &TMainForm::ActionWordWrapExecute);
  connect(MenuSplit, &QAction::triggered, this, &TMainForm::ToolBtnSplitClick);
  connect(ToolBtnSplit, &QToolButton::clicked, this, &TMainForm::ToolBtnSplitClick);
  connect(ActionAbout, &QAction::triggered, this, &TMainForm::ActionAboutExecute);
  connect(PopupMenuLogSet, &QMenu::aboutToShow, this, &TMainForm::PopupMenuLogSetPopup);
  connect(AddLogSetMenu, &QAction::triggered, this, &TMainForm::AddLogSetMenuClick);
  connect(RemoveLogSetMenu, &QAction::triggered, this, &TMainForm::RemoveLogSetMenuClick);
  setAcceptDrops(true);
}

void TMainForm::CreateTree() {
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
  KeepSelectionVisible(*TreeView1);
  FTreeModel = new MessageTreeModel(FTree, this);
  TreeView1->setModel(FTreeModel);
  // Long labels scroll sideways instead of being cut off; only rows on screen are measured.
  TreeView1->header()->setStretchLastSection(false);
  TreeView1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

void TMainForm::SetSplitVertical(bool vertical) {
  const bool isVertical = Splitter1->orientation() == Qt::Horizontal;
  if (vertical != isVertical) {
    // Before the window is first shown its parts have no sizes yet; lay them out now.
    layout()->activate();
    const int w = Splitter1->width();
    const int h = Splitter1->height();
    const int handle = Splitter1->handleWidth();
    if (vertical) {
      // The tree takes a third of the client width.
      Splitter1->setOrientation(Qt::Horizontal);
      Splitter1->setSizes({w / 3, std::max(0, w - w / 3 - handle)});
    } else {
      // The tree, as high as the splitter while at the left, keeps a third of that height.
      const int treeHeight = h / 3;
      Splitter1->setOrientation(Qt::Vertical);
      Splitter1->setSizes({treeHeight, std::max(0, h - treeHeight - handle)});
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
  FSettingsReport = {};
  MainSettings s = ReadMainSettings(dir, defaults, &FSettingsReport);
  FInterwayPrefix = s.InterwayPrefix;

  // Fitted to the desktop before anything is applied; a rectangle that cannot be used leaves the
  // window where the system put it.
  const QRect desk = screen ? screen->availableVirtualGeometry() : avail;
  if (FitToDesktop(
          s, {desk.left(), desk.top(), desk.left() + desk.width(), desk.top() + desk.height()}))
    setGeometry(s.Rect.Left, s.Rect.Top, static_cast<int>(s.Rect.Width()),
                static_cast<int>(s.Rect.Height()));
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
  ApplyFontToResultList();
  FKeyFont = s.KeyFont;
  FRecentFolders = ReadListFile(dir + kRecentFile, &FSettingsReport);
  UpdateRecentMenu();
  FLogSets = ReadListFile(dir + kLogSetFile, &FSettingsReport);
  DropLinesWithoutFields(FLogSets);
  UpdateLogSetMenu();
  setFont(ToQFont(FBaseFont));
  if (!FSettingsReport.Problems.empty())
    Dialogs().MessageBox(this, QString::fromStdString(SettingsReadProblemsText(FSettingsReport)),
                         ApplicationTitle(), MsgButtons::Ok, MsgIcon::Warning, ModalResult::Ok);
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
  FSettingsReport.Problems.clear();
  bool ok = WriteMainSettings(dir, s, &FSettingsReport);
  ok = WriteListFile(dir + kRecentFile, FRecentFolders, &FSettingsReport) && ok;
  ok = WriteListFile(dir + kLogSetFile, FLogSets, &FSettingsReport) && ok;
  if (!ok)
    Dialogs().MessageBox(this, QString::fromStdString(SettingsWriteProblemsText(FSettingsReport)),
                         QStringLiteral("エラー"), MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
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
  // The set named by "LogSet:" and the files given on the command line load together, the files
  // under the names the Open command gives, so that opening one of them again asks the reload
  // question instead of loading it twice.
  std::vector<std::string> files = LogSetOfCommandLine();
  for (const std::string& f : FFileArgs)
    files.push_back(FullPath(f));
  if (!files.empty()) LoadFileList(files, false);
  // The search keys first: a "Message:" key names the message to show over the first hit.
  SearchAtStart();
  const std::string message = GetParamValue(kMessageKey);
  if (!message.empty()) {
    if (const auto target = ParseMessageKey(message))
      GotoMessage(*target);
    else
      std::fprintf(stderr, "yuzulog: %s%s is not ROOM/NUMBER\n", kMessageKey.data(),
                   message.c_str());
  }
  if (!FScreenshotPath.isEmpty()) TakeScreenshotWhenSettled();
}

void TMainForm::TakeScreenshotWhenSettled() {
  // Polled: the view is settled once nothing is owed, no page is loading, and that has held for
  // a few polls (the loaded page still has to be painted). A page that never finishes loading
  // does not keep the program running.
  auto* poll = new QTimer(this);
  poll->setInterval(kScreenshotPollMs);
  connect(poll, &QTimer::timeout, this, [this, poll, quiet = 0, polls = 0]() mutable {
    quiet = ViewBusy() ? 0 : quiet + 1;
    if (quiet < kScreenshotQuietPolls && ++polls < kScreenshotMaxPolls) return;
    poll->stop();
    poll->deleteLater();
    TakeScreenshot();
  });
  poll->start();
}

void TMainForm::TakeScreenshot() {
  if (!grab().save(FScreenshotPath, "PNG"))
    qWarning("yuzulog: cannot write the screenshot %s", qPrintable(FScreenshotPath));
  // The search window, when it is shown, beside it.
  if (FSearchWindow && FSearchWindow->Window().isVisible()) {
    const QString path =
        QString::fromStdString(CompanionPath(FScreenshotPath.toStdString(), kSearchScreenshotTag));
    if (!FSearchWindow->Window().grab().save(path, "PNG"))
      qWarning("yuzulog: cannot write the screenshot %s", qPrintable(path));
  }
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
  DetachTreeChange();
  event->accept();
  // The program's run ends with this window, as the exit command ends it: the other windows stay
  // as they are, so the settings keep whether the search window was shown.
  if (OnExit) OnExit();
}

void TMainForm::DetachTreeChange() {
  disconnect(TreeView1->selectionModel(), nullptr, this, nullptr);
}

void TMainForm::ActionExitExecute() {
  if (OnExit)
    OnExit();
  else
    QCoreApplication::exit(0);
}

void TMainForm::SetStatus(const QString& text) {
  StatusBar1->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
}

}  // namespace yuzulog
