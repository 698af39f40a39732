// The desktop program: creates the windows, reads the settings, runs, writes the settings.
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QSocketNotifier>
#ifdef YUZULOG_HAVE_WEBENGINE
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/appicon.h"
#include "dialogs/aboutbox.h"
#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/qthelpers.h"
#include "dialogs/qttranslation.h"
#include "export/ui/exportdialog.h"
#include "mainwindow/cmdline.h"
#include "mainwindow/ui/mainform.h"
#include "marks/ui/bookmarklistwindow.h"
#include "platform/cp932.h"
#include "platform/endingsignals.h"
#include "platform/fontaliases.h"
#include "platform/settingsfolder.h"
#include "platform/softwaregl.h"
#include "search/ui/searchform.h"
#include "stats/ui/statstool.h"
#include "workspace/workspace.h"

#ifdef YUZULOG_HAVE_WEBENGINE
namespace {

// The renderer (GL_RENDERER) of the OpenGL the windows would compose through; empty when there is
// none. The application makes its shared context as it starts, so asking costs only a surface to
// make it current on.
std::string GlRendererName() {
  QOpenGLContext* context = QOpenGLContext::globalShareContext();
  if (!context || !context->isValid()) return {};
  QOffscreenSurface surface;
  surface.setFormat(context->format());
  surface.create();
  if (!surface.isValid() || !context->makeCurrent(&surface)) return {};
  const auto* name = reinterpret_cast<const char*>(context->functions()->glGetString(GL_RENDERER));
  std::string renderer = name ? name : "";
  context->doneCurrent();
  return renderer;
}

// The browser view makes its window compose through Qt Quick. Where OpenGL is drawn by the
// processor, Qt Quick's own software backend draws the same window several times faster; a
// backend the user chose stays. Must run before the first browser view exists.
void ChooseSceneGraphBackend() {
  for (const char* chosen : {"QT_QUICK_BACKEND", "QSG_RHI_BACKEND", "QMLSCENE_DEVICE"})
    if (qEnvironmentVariableIsSet(chosen)) return;
  if (yuzulog::IsSoftwareGlRenderer(GlRendererName()))
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

}  // namespace
#endif

int main(int argc, char** argv) {
  // Answered before anything is set up, so they need no display and leave nothing behind.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("yuzulog %s\n", yuzulog::ProgramVersion());
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(
        "usage: yuzulog [FILE...] [KEY:VALUE...]\n"
        "Shows and searches the YUZUBAN forum's logs in FILEs (.LOG files, .lzh archives).\n"
        "keys: Message:ROOM/NUMBER Search:WORD LogSet:NAME ViewMode:1 OldSystem:1 Screenshot:PATH\n"
        "More in the manual page: man yuzulog\n");
    return 0;
  }
  // Before anything that a logout or a polite kill should not interrupt: such a signal is read by
  // the event loop, which ends the run in order.
  const int endingSignals = yuzulog::WatchEndingSignals();
  // The browser engine reports its set-up (GL type, its switches) at every start; QT_LOGGING_RULES
  // still shows it to whoever asks.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
  // The browser engine refuses to start as root with its sandbox on.
  if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // Before the first font is looked up, so that the browser engine's processes inherit it.
  if (!yuzulog::UseFontAliases())
    std::fprintf(stderr, "yuzulog: cannot write the font aliases; the system's fonts are used\n");

  // 1. The application and its title.
  QApplication app(argc, argv);
  // No display name: the window system would append it to the title of every window and box,
  // whose captions are the program's own.
  QApplication::setApplicationName(QStringLiteral("yuzulog"));
  QApplication::setWindowIcon(yuzulog::AppIcon());
#ifdef YUZULOG_HAVE_WEBENGINE
  ChooseSceneGraphBackend();
#endif
  // Before the first box: the standard buttons and the file dialog speak Japanese.
  if (!yuzulog::InstallQtJapanese())
    std::fprintf(stderr,
                 "yuzulog: Qt's Japanese texts (qtbase_ja.qm) are missing; standard "
                 "buttons and the file dialog show English\n");

  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i)
    args.emplace_back(argv[i]);

  // Every log text a person reads is decoded from code page 932; without the system's converter
  // there would be nothing to show but replacement characters. Checked before any window exists,
  // as a window may already need it.
  std::string reason;
  if (!yuzulog::PrepareCp932(&reason)) {
    std::fprintf(stderr, "yuzulog: %s\n", reason.c_str());
    yuzulog::Dialogs().MessageBox(nullptr, QString::fromStdString(reason), QStringLiteral("エラー"),
                                  yuzulog::MsgButtons::Ok, yuzulog::MsgIcon::Error,
                                  yuzulog::ModalResult::Ok);
    return 2;
  }

  // 2. The workspace, which owns what is loaded and shown; then the main window and the search
  // window, its views (declared after it, so destroyed before it; the search window after the
  // main window, so destroyed before it).
  yuzulog::Workspace workspace(yuzulog::ProgramFolder());
  yuzulog::TMainForm form(workspace, args);
  // With "Screenshot:" nobody is at the screen to answer a box.
  if (!form.GetParamValue(yuzulog::kScreenshotKey).empty())
    yuzulog::SetDialogSeam(&yuzulog::UnattendedDialogs());
  // exit(), not quit(): quit() would send the window a close request and ask the close question,
  // and close the search window before its settings record that it was shown. For the same
  // reason the run ends through OnExit when the main window closes, not when the last window does.
  form.OnExit = [] { QCoreApplication::exit(0); };
  QApplication::setQuitOnLastWindowClosed(false);
  yuzulog::TSearchForm search(workspace);
  form.SetSearchWindow(&search);
  // SIGTERM, SIGINT and SIGHUP end the run as the exit command does, without the close question:
  // the settings and lists are saved below, and the windows remove their files as they go.
  std::unique_ptr<QSocketNotifier> endingNotifier;
  if (endingSignals >= 0) {
    endingNotifier = std::make_unique<QSocketNotifier>(endingSignals, QSocketNotifier::Read);
    QObject::connect(endingNotifier.get(), &QSocketNotifier::activated, &form,
                     [&form, endingSignals] {
                       if (yuzulog::TakeEndingSignal(endingSignals) != 0) form.ActionExitExecute();
                     });
  }
  // The bookmark list, made when first asked for, over the store the window has now.
  std::unique_ptr<yuzulog::BookmarkListWindow> bookmarks;
  yuzulog::MarkStore* bookmarkStore = nullptr;
  form.ShowBookmarkList = [&](yuzulog::MarkStore& store) {
    if (!bookmarks || bookmarkStore != &store) {
      bookmarks = std::make_unique<yuzulog::BookmarkListWindow>(
          store, [&form](const yuzulog::MarkKey& key) { return form.IsLoaded(key); });
      bookmarkStore = &store;
      QObject::connect(bookmarks.get(), &yuzulog::BookmarkListWindow::showMessageRequested, &form,
                       [&form](const yuzulog::MarkKey& key) {
                         if (form.ShowBookmark(key)) form.activateWindow();
                       });
    }
    bookmarks->Reload();
    bookmarks->show();
    bookmarks->raise();
    bookmarks->activateWindow();
  };
  form.BookmarksChanged = [&] {
    if (bookmarks && bookmarks->isVisible() && bookmarkStore == workspace.Marks())
      bookmarks->Reload();
  };
  // The export and statistics commands' windows, views of the workspace as well.
  yuzulog::ExportCommand exporter(workspace);
  yuzulog::StatsTool stats(workspace);
  form.SetToolWindows(&exporter, &stats);

  // 3. The settings folder, with every missing parent.
  const std::string dir = yuzulog::SettingsDir();
  if (!yuzulog::CreateSettingsDir(dir))
    std::fprintf(stderr,
                 "yuzulog: cannot create the settings folder %s; settings will not be kept\n",
                 dir.c_str());

  // 4. The main window's settings, then the search window's.
  form.LoadSettings(dir);
  search.LoadSearchSettings(dir);
  stats.LoadSettings(dir);  // then the statistics window's

  // 5. The event loop; the window loads what it was given when it is first shown.
  form.show();
  int rc = QApplication::exec();
  if (rc == 0 && form.ScreenshotFailed()) rc = 1;

  // 6. The main window's settings, then the search window's.
  if (!form.SaveSettings(dir))
    std::fprintf(stderr, "yuzulog: cannot write the settings in %s\n", dir.c_str());
  if (!search.SaveSearchSettings(dir))
    std::fprintf(stderr, "yuzulog: cannot write the search window's settings in %s\n", dir.c_str());
  if (!stats.SaveSettings(dir))
    std::fprintf(stderr, "yuzulog: cannot write the statistics window's settings in %s\n",
                 dir.c_str());
  return rc;
}
