// Saves the screenshots the documentation and a reviewer look at: the standard boxes with Qt's
// Japanese texts, the log list, the About box, the split layout, both message views showing the
// hits of a search, and the README's pictures (readme-*.png: the search window with its hits, a
// thread on one page, the statistics window), the bookmark list. Not a check; run it under Xvfb
// with QT_QPA_PLATFORM=xcb and FONTCONFIG_FILE naming the configuration the program writes
// (~/.cache/yuzulog/fonts.conf):
//
//   yuzulog-screenshots DIR
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <cstdio>
#include <memory>

#include "dialogs/qthelpers.h"
#include "dialogs/qttranslation.h"
#include "mainwindow/ui/mainform.h"
#include "marks/ui/bookmarklistwindow.h"
#include "platform/cp932.h"
#include "search/ui/searchform.h"
#include "stats/ui/statstool.h"
#include "stats/ui/statswindow.h"
#include "tests/support/rununtil.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::DataFile;

std::unique_ptr<TMainForm> Window(int viewMode) {
  auto f = std::make_unique<TMainForm>(
      std::vector<std::string>{"yuzulog", "ViewMode:" + std::to_string(viewMode)});
  f->ShiftHeld = [] { return false; };
  f->show();
  return f;
}

void Settle(TMainForm& f) {
  testing::RunUntil([&] { return !f.ViewBusy(); }, 10000);
  testing::RunFor(500);  // the page painted
}

void Save(QWidget& w, const QString& path) {
  if (!w.grab().save(path, "PNG")) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// The overlap warning, the close question and the open dialog as the real boxes show them: each
// box alone, and the screen with the box over the window.
void StandardBoxes(const QString& dir) {
  auto f = Window(1);
  const auto saveNextBox = [dir](const char* className, const char* name) {
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, [=, waited = 0]() mutable {
      auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!box || !box->inherits(className) || (waited += 50) < 600) return;
      poll->deleteLater();
      Save(*box, dir + name + ".png");
      box->screen()->grabWindow(0).save(dir + name + "-screen.png", "PNG");
      box->reject();
    });
    poll->start(50);
  };
  saveNextBox("QMessageBox", "box-overlap-warning");
  f->LoadFileList({DataFile("room05a.LOG"), DataFile("room05b.LOG")}, false);
  saveNextBox("QMessageBox", "box-close-question");
  f->close();
  saveNextBox("QFileDialog", "box-open-dialog");
  f->findChild<QAction*>(QStringLiteral("ActionOpenArchive"))->trigger();
}

// The log list over three loaded files, the About box, and the split layout showing a message.
void ListAboutAndSplit(const QString& dir) {
  testing::ScriptedDialogs boxes;
  auto f = Window(1);
  f->resize(900, 640);
  boxes.Answers = {ModalResult::No};
  f->LoadFileList({DataFile("room05a.LOG"), DataFile("room05b.LOG"), DataFile("room12.lzh")},
                  false);
  const auto save = [&](const char* name) {
    return [&, name](QDialog& d) {
      d.show();
      QApplication::processEvents();
      Save(d, dir + name);
      d.hide();
      return ModalResult::Ok;
    };
  };
  boxes.DialogAnswers = {save("loglist.png"), save("about.png")};
  f->findChild<QAction*>(QStringLiteral("ActionLogData"))->trigger();
  f->findChild<QAction*>(QStringLiteral("ActionAbout"))->trigger();
  f->findChild<QAction*>(QStringLiteral("MenuSplit"))->trigger();
  auto* tree = f->findChild<QTreeView*>(QStringLiteral("TreeView1"));
  tree->setCurrentIndex(tree->model()->index(1, 0, tree->model()->index(0, 0)));
  Settle(*f);
  Save(*f, dir + "split.png");
}

// Both views showing message 5/13 with the hits of a search for 台木 and カラタチ.
void ViewsWithHits(const QString& dir) {
  testing::ScriptedDialogs boxes;
  SearchFields fields;
  fields.Edit[0] = Utf8ToCp932("台木").bytes;
  fields.Edit[1] = Utf8ToCp932("カラタチ").bytes;
  fields.CheckBox = {true, true, false, false};
  for (const auto& [mode, name] :
       {std::pair{0, "view-browser-hits.png"}, std::pair{1, "view-richtext-hits.png"}}) {
    auto f = Window(mode);
    f->resize(900, 420);
    boxes.Answers = {ModalResult::No};
    f->LoadFileList({DataFile("room05a.LOG"), DataFile("room05b.LOG")}, false);
    SearchState& search = f->Space().Search().State;
    BuildConditions(fields, search.FConditions, search.ScanMode);
    f->GotoMessage({5, 13});
    Settle(*f);
    f->Space().Show(f->CurrentMessage(), ShowOrigin::SearchHit);
    Settle(*f);
    Save(*f, dir + name);
  }
}

// Both views showing the whole thread of message 5/13 on one page, with the hits of a search for
// 台木 in each of its messages and message 5/13 marked.
void ThreadViews(const QString& dir) {
  testing::ScriptedDialogs boxes;
  SearchFields fields;
  fields.Edit[0] = Utf8ToCp932("台木").bytes;
  fields.CheckBox = {true, false, false, false};
  for (const auto& [mode, name] :
       {std::pair{0, "thread-browser.png"}, std::pair{1, "thread-richtext.png"}}) {
    auto f = Window(mode);
    f->resize(900, 560);
    boxes.Answers = {ModalResult::No};
    f->LoadFileList({DataFile("room05a.LOG"), DataFile("room05b.LOG")}, false);
    SearchState& search = f->Space().Search().State;
    BuildConditions(fields, search.FConditions, search.ScanMode);
    f->findChild<QAction*>(QStringLiteral("ActionThreadPage"))->trigger();
    f->findChild<QTreeView*>(QStringLiteral("TreeView1"))->expandAll();
    f->GotoMessage({5, 13});
    Settle(*f);
    f->Space().Show(f->CurrentMessage(), ShowOrigin::SearchHit);
    Settle(*f);
    Save(*f, dir + name);
  }
}

// What the README shows, as a new user sees it after a start with the samples: the search
// window with the hits of 柚子 (newest first), the thread of message 5/1 on one page, and the
// statistics window over the three sample files.
void ReadmeShots(const QString& dir) {
  testing::ScriptedDialogs boxes;
  boxes.Answers = {ModalResult::No};
  Workspace space(ProgramFolder());
  TMainForm f(space, {"yuzulog", DataFile("room05a.LOG"), DataFile("room05b.LOG"),
                      DataFile("room12.lzh"), "ViewMode:0", "Search:柚子"});
  f.ShiftHeld = [] { return false; };
  TSearchForm search(space);
  f.SetSearchWindow(&search);
  StatsTool stats(space);
  f.SetToolWindows(nullptr, &stats);
  f.resize(760, 500);
  f.show();
  testing::RunUntil([&] { return search.isVisible() && !search.Results().empty(); }, 10000);
  search.resize(620, 470);
  if (auto* list = search.findChild<QTableView*>()) {
    list->horizontalHeader()->sectionClicked(ColDate);
    list->horizontalHeader()->sectionClicked(ColDate);
  }
  testing::RunFor(300);
  Save(search, dir + "readme-search.png");

  search.hide();
  f.findChild<QAction*>(QStringLiteral("ActionThreadPage"))->trigger();
  f.findChild<QTreeView*>(QStringLiteral("TreeView1"))->expandAll();
  f.GotoMessage({5, 1});
  Settle(f);
  Save(f, dir + "readme-thread.png");

  f.findChild<QAction*>(QStringLiteral("ActionStats"))->trigger();
  TStatsWindow& window = stats.Window();
  window.resize(1100, 640);
  testing::RunUntil([&] { return window.isVisible() && !window.Counting(); }, 10000);
  testing::RunFor(300);
  Save(window, dir + "readme-stats.png");
  window.hide();
  f.SetSearchWindow(nullptr);
}

// The bookmark list over three bookmarks of room05a.LOG, one with no note, and one of a log that
// is not loaded (grey), in a store of a temporary folder.
void BookmarkList(const QString& dir) {
  QTemporaryDir folder;
  std::string problem;
  const auto store = MarkStore::Open(MarkStorePath(folder.path().toStdString() + "/"), problem);
  if (!store) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return;
  }
  auto f = Window(1);
  f->LoadFileList({DataFile("room05a.LOG")}, false);
  const std::vector<TLogMessage>& messages = f->Space().Files()[0].Messages();
  bool added = false;
  store->ToggleBookmark({MakeMarkKey(9, 1204, "PXB01234", "96/11/30 23:10"), "古い発言", "どなたか",
                         "前のログ", 1765100000},
                        added);
  const char* notes[] = {"続きを読む", "", "あとで返事"};
  for (std::size_t i = 0; i < std::size(notes); ++i)
    store->ToggleBookmark(BookmarkOf(messages[std::min(messages.size() - 1, i * 4)], notes[i],
                                     1765200000 + 3600 * static_cast<std::int64_t>(i)),
                          added);
  BookmarkListWindow list(*store, [&f](const MarkKey& key) { return f->IsLoaded(key); });
  list.show();
  testing::RunFor(300);
  Save(list, dir + "bookmarks.png");
}

}  // namespace
}  // namespace yuzulog

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: yuzulog-screenshots DIR\n");
    return 2;
  }
  const std::unique_ptr<QTranslator> japanese(yuzulog::InstallQtJapanese());
  const QString dir = QString::fromLocal8Bit(argv[1]) + "/";
  yuzulog::StandardBoxes(dir);
  yuzulog::ListAboutAndSplit(dir);
  yuzulog::ViewsWithHits(dir);
  yuzulog::ThreadViews(dir);
  yuzulog::ReadmeShots(dir);
  yuzulog::BookmarkList(dir);
  return 0;
}
