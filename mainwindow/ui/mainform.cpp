#include "mainwindow/ui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <cstdio>

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/qtfont.h"
#include "dialogs/qthelpers.h"
#include "dialogs/searchwindow.h"
#include "mainwindow/cmdline.h"
#include "mainwindow/navigation.h"
#include "mainwindow/ui/glyphs.h"
#include "mainwindow/ui/messagetreemodel.h"
#include "mainwindow/ui/messageview.h"
#include "mainwindow/ui/screenshot.h"
#include "mainwindow/ui/windowplacement.h"
#include "platform/paths.h"

namespace yuzulog {
namespace {

// The design size of the window's client area.
constexpr int kDesignWidth = 696;
constexpr int kDesignHeight = 480;
constexpr int kDesignTreeWidth = 249;

}  // namespace

TMainForm::TMainForm(Workspace& workspace, const std::vector<std::string>& args, QWidget* parent)
    : TMainForm(nullptr, &workspace, args, parent) {}

TMainForm::TMainForm(const std::vector<std::string>& args, QWidget* parent)
    : TMainForm(std::make_unique<Workspace>(ProgramFolder()), nullptr, args, parent) {}

TMainForm::TMainForm(std::unique_ptr<Workspace> own, Workspace* shared,
                     const std::vector<std::string>& args, QWidget* parent)
    : QMainWindow(parent),
      FOwnWorkspace(std::move(own)),
      FWorkspace(shared ? *shared : *FOwnWorkspace) {
  CommandLine cl = SplitCommandLine(args, PathExists);
  for (const std::string& unknown : cl.UnknownKeys)
    std::fprintf(stderr, "%s\n", UnknownKeyText(unknown).c_str());
  FArgs = std::move(cl.Keys);
  FFileArgs = std::move(cl.Files);
  ShiftHeld = [] { return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; };
  FormCreate();
  FWorkspace.AddObserver(*this);
}

TMainForm::~TMainForm() {
  // Tearing down the tree must not ask for anything to be shown; a window with a workspace of
  // its own frees its files, and nothing it shows may refer to them then.
  disconnect(treeView->selectionModel(), nullptr, this, nullptr);
  renderTimer->stop();
  FWorkspace.RemoveObserver(*this);
  if (FOwnWorkspace) {
    treeModel->BeginTreeChange();
    FOwnWorkspace->Close();
    treeModel->EndTreeChange();
  }
}

std::string TMainForm::GetParamValue(std::string_view key) const {
  return yuzulog::GetParamValue(FArgs, key);
}

void TMainForm::FormCreate() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(ApplicationTitle());
  setFont(ToQFont(FWorkspace.Settings().BaseFont));
  resize(kDesignWidth, kDesignHeight);
  CreateMainCommands(*this, commands);

  CreateTree();
  splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName(QStringLiteral("Splitter1"));
  splitter->setHandleWidth(3);
  splitter->setChildrenCollapsible(false);
  KeepPageHalf(*splitter);
  splitter->addWidget(treeView);
  setCentralWidget(splitter);

  statusLabel = new QLabel(this);
  statusLabel->setObjectName(QStringLiteral("StatusBar1"));
  statusBar()->addWidget(statusLabel, 1);
  statusBar()->setSizeGripEnabled(true);

  renderTimer = new QTimer(this);
  renderTimer->setObjectName(QStringLiteral("FRenderTimer"));
  renderTimer->setSingleShot(true);
  renderTimer->setInterval(RenderScheduler::kRestMs);
  FScheduler = std::make_unique<RenderScheduler>([this] { renderTimer->start(); },
                                                 [this](const ShowRequest& r) { Draw(r); });

  FOldSystem = GetParamInteger(FArgs, kOldSystemKey) != 0;
  CreateView(GetParamInteger(FArgs, kViewModeKey));
  splitter->setSizes({kDesignTreeWidth, kDesignWidth - kDesignTreeWidth - 3});
  // Tab walks the two panes, the tree first.
  setTabOrder(treeView, view->Widget());
  treeView->setFocus();

  SetSplitVertical(FWorkspace.Settings().SplitVert);
  commands.wordWrap->setChecked(FWorkspace.Settings().WordWrap);
  FScreenshotPath = QString::fromStdString(GetParamValue(kScreenshotKey));
  Connect();
  setAcceptDrops(true);
}

// The wiring: commands to their handlers, the tree's events, the tool-bar items.
void TMainForm::Connect() {
  const MainCommands& c = commands;
  connect(renderTimer, &QTimer::timeout, this, &TMainForm::RenderTimerFired);
  connect(c.open, &QAction::triggered, this, &TMainForm::ActionOpenArchiveExecute);
  connect(c.add, &QAction::triggered, this, &TMainForm::ActionAddArchiveExecute);
  connect(c.exit, &QAction::triggered, this, &TMainForm::ActionExitExecute);
  connect(c.gotoMessage, &QAction::triggered, this, &TMainForm::ActionGotoMsgExecute);
  connect(c.back, &QAction::triggered, this, &TMainForm::ActionPrevExecute);
  connect(c.copyMessage, &QAction::triggered, this, &TMainForm::ActionCopyCurrentMsgExecute);
  connect(c.search, &QAction::triggered, this, &TMainForm::ActionSearchExecute);
  connect(c.searchStayOnTop, &QAction::triggered, this, &TMainForm::ActionSearchStayOnTopExecute);
  connect(treeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { TreeViewChange(current); });
  treeView->viewport()->installEventFilter(this);
  connect(treeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    commands.treeMenu->popup(treeView->viewport()->mapToGlobal(p));
  });
  connect(c.fileToolBarShown, &QAction::toggled, c.fileToolBar, &QWidget::setVisible);
  connect(c.viewToolBarShown, &QAction::toggled, c.viewToolBar, &QWidget::setVisible);
  connect(c.logData, &QAction::triggered, this, &TMainForm::ActionLogDataExecute);
  connect(c.font, &QAction::triggered, this, &TMainForm::ActionFontSelectExecute);
  connect(c.keyFont, &QAction::triggered, this, &TMainForm::ActionKeyFontSelectExecute);
  connect(c.background, &QAction::triggered, this, &TMainForm::BkColorClick);
  connect(c.wordWrap, &QAction::triggered, this, &TMainForm::ActionWordWrapExecute);
  const auto toggleSplit = [this] { SetSplitVertical(!FWorkspace.Settings().SplitVert); };
  connect(c.split, &QAction::triggered, this, toggleSplit);
  connect(c.splitButton, &QToolButton::clicked, this, toggleSplit);
  connect(c.about, &QAction::triggered, this, &TMainForm::ActionAboutExecute);
  connect(c.logSetMenu, &QMenu::aboutToShow, this, &TMainForm::PopupMenuLogSetPopup);
  connect(c.addLogSet, &QAction::triggered, this, &TMainForm::AddLogSetMenuClick);
  connect(c.removeLogSet, &QAction::triggered, this, &TMainForm::RemoveLogSetMenuClick);
  ConnectThreadCommands();
  ConnectMarks();
}

void TMainForm::CreateTree() {
  treeModel = new MessageTreeModel(FWorkspace.Tree(), this);
  treeView = CreateTreeView(*this, *treeModel);
  // A font of its own, so the window's font (the message font) reaches the tree only where the
  // settings say so.
  treeView->setFont(ToQFont(FWorkspace.Settings().BaseFont));
}

void TMainForm::SetSplitVertical(bool vertical) {
  // Before the window is first shown its parts have no sizes yet; lay them out now.
  if (vertical != (splitter->orientation() == Qt::Horizontal)) layout()->activate();
  SplitPanes(*splitter, vertical);
  MainSettings s = FWorkspace.Settings();
  s.SplitVert = vertical;
  FWorkspace.SetSettings(s);
  // The split command names the layout it switches to.
  const QString caption =
      vertical ? QStringLiteral("横に分割する(&H)") : QStringLiteral("縦に分割する(&V)");
  const int glyph = vertical ? kGlyphSplitHorizontal : kGlyphSplitVertical;
  commands.split->setText(caption);
  commands.split->setIcon(GlyphIcon(glyph));
  commands.split->setToolTip(caption.left(6));
  commands.splitButton->setIcon(GlyphIcon(glyph));
  commands.splitButton->setToolTip(caption.left(6));
}

void TMainForm::LoadSettings(const std::string& dir) {
  FSettingsReport = {};
  FWorkspace.ReadSettings(dir, PlacementDefaults(*this, FWorkspace.Settings()), FSettingsReport);
  MainSettings s = FWorkspace.Settings();
  PlaceWindow(*this, s);
  FWorkspace.SetSettings(s);
  SetSplitVertical(s.SplitVert);
  if (s.SplitWidth > 0) {
    const int total = s.SplitVert ? centralWidget()->width() : centralWidget()->height();
    splitter->setSizes({s.SplitWidth, std::max(0, total - s.SplitWidth - 3)});
  }
  commands.wordWrap->setChecked(s.WordWrap);
  commands.threadPage->setChecked(s.ThreadPage);
  ApplyColor();
  view->Clear(CurrentPageStyle());
  if (!FOldSystem) treeView->setFont(ToQFont(s.BaseFont));
  ApplyFontToResultList();
  setFont(ToQFont(s.BaseFont));
  if (!FSettingsReport.Problems.empty())
    Dialogs().MessageBox(this, U(SettingsReadProblemsText(FSettingsReport)), ApplicationTitle(),
                         MsgButtons::Ok, MsgIcon::Warning, ModalResult::Ok);
  OpenMarks(dir);
}

bool TMainForm::SaveSettings(const std::string& dir) {
  // Every way the window ends comes through here; the marks made last are stored before it goes.
  FWorkspace.FlushMarks();
  // What only the window knows goes back into the settings: its place and the tree's size.
  MainSettings s = FWorkspace.Settings();
  RecordPlacement(*this, s);
  s.SplitWidth = splitter->sizes().value(0);
  FWorkspace.SetSettings(s);
  FSettingsReport.Problems.clear();
  const bool ok = FWorkspace.WriteSettings(dir, FSettingsReport);
  if (!ok)
    Dialogs().MessageBox(this, U(SettingsWriteProblemsText(FSettingsReport)),
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
  std::vector<std::string> files = FWorkspace.LogSetOfKey(GetParamValue(kLogSetKey));
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
  QWidget* search = FSearchWindow ? &FSearchWindow->Window() : nullptr;
  SaveScreenshotsWhenSettled(
      *this, search, FScreenshotPath, [this] { return ViewBusy(); },
      [this](bool saved) {
        FScreenshotFailed = !saved;
        ActionExitExecute();
      });
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
  disconnect(treeView->selectionModel(), nullptr, this, nullptr);
  FWorkspace.FlushMarks();
  event->accept();
  // The program's run ends with this window, as the exit command ends it: the other windows stay
  // as they are, so the settings keep whether the search window was shown.
  if (OnExit) OnExit();
}

void TMainForm::ActionExitExecute() {
  if (OnExit)
    OnExit();
  else
    QCoreApplication::exit(0);
}

void TMainForm::SetStatus(const QString& text) {
  statusLabel->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
}

}  // namespace yuzulog
