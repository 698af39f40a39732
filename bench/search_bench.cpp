// The search window at work on a loaded library, as a person uses it: the library opened in the
// main window, a keyword typed and run, the window watched while the search runs (how long the
// event loop waits between two passes, how often the progress bar moves), the search cancelled
// part-way (how long until the window is back), then the result list of that search scrolled,
// stepped through with the arrow key (each step asks the main window to show the message) and
// sorted by every column through the header. Boxes are answered as an unattended run answers them
// (the interrupted question with No) and written to stderr.
//
// Files: the .LOG files of YUZULOG_BENCH_CORPUS=DIR, up to YUZULOG_BENCH_MB megabytes (default
// 256); the keyword of the big result is YUZULOG_BENCH_WORD (default "modem", which the generator
// puts in three messages of ten). A figure the window got wrong (a search that found nothing, a
// sort that lost the current row) ends it with status 1.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "bench/benchcorpus.h"
#include "dialogs/dialogseam.h"
#include "dialogs/progressdlg.h"
#include "mainwindow/ui/mainform.h"
#include "search/resultlist.h"
#include "search/ui/searchform.h"

namespace yuzulog {
namespace {

constexpr int kSteps = 200;
using bench::Check;

template <class T>
T* Named(QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromUtf8(name));
  if (found == nullptr) {
    std::fprintf(stderr, "%s: the window has no %s\n", bench::gBenchName, name);
    std::exit(2);
  }
  return found;
}

TProgressForm* ShownProgress() {
  return qobject_cast<TProgressForm*>(QApplication::activeModalWidget());
}

// Watches the event loop while a search runs: a timer that would fire every 2 ms records how long
// the loop actually left between two of its passes, and which positions the progress bar showed.
class LoopWatch : public QObject {
 public:
  LoopWatch() {
    FTimer.setInterval(2);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] { Tick(); });
  }
  void Start() {
    FClock.start();
    FLast = 0;
    FTimer.start();
  }
  void Stop() { FTimer.stop(); }
  qint64 LongestGapMs = 0;
  int Passes = 0;
  std::set<int> Positions;

 private:
  void Tick() {
    const qint64 now = FClock.elapsed();
    // Only while the progress window runs: before and after it, the window's own work counts.
    if (TProgressForm* form = ShownProgress()) {
      if (Passes > 0) LongestGapMs = std::max(LongestGapMs, now - FLast);
      ++Passes;
      Positions.insert(form->Bar->value());
    }
    FLast = now;
  }
  QTimer FTimer;
  QElapsedTimer FClock;
  qint64 FLast = 0;
};

void Type(TSearchForm& search, const QString& word, int ignoreCode, bool ignoreCase) {
  Named<QLineEdit>(search, "Edit1")->setText(word);
  Named<QComboBox>(search, "IgnoreCode")->setCurrentIndex(ignoreCode);
  Named<QCheckBox>(search, "IgnoreCase")->setChecked(ignoreCase);
  Named<QCheckBox>(search, "CheckBoxNest")->setChecked(false);
}

// One search run by the button, with the loop watched.
void WatchedSearch(TSearchForm& search, const char* what) {
  LoopWatch watch;
  watch.Start();
  QElapsedTimer t;
  t.start();
  Named<QPushButton>(search, "Button1")->click();
  const qint64 total = t.elapsed();
  watch.Stop();
  const auto& times = search.LastSearchTimes();
  std::printf(
      "search %s: %zu hits; %lld ms examining the messages, the list filled in %lld ms (%lld ms "
      "with the boxes); the event loop ran %d times, never more than %lld ms apart; the bar "
      "showed %zu positions\n",
      what, search.Results().size(), times.SearchMs, times.ListMs, static_cast<long long>(total),
      watch.Passes, static_cast<long long>(watch.LongestGapMs), watch.Positions.size());
}

// Searches and has the cancel button pressed delayMs after the start: the time from that moment
// until the window is back (the interrupted question is answered No at once). The press waits,
// as a person's would, for the search to let events through, so the figure holds that wait and
// the search's way out; -1 when the search ended first.
double CancelAfter(TSearchForm& search, int delayMs) {
  QElapsedTimer sinceStart;
  bool pressed = false;
  // A timer of this call's own: a search that ends first must not leave it to fire later.
  QTimer press;
  press.setSingleShot(true);
  QObject::connect(&press, &QTimer::timeout, [&] {
    if (TProgressForm* form = ShownProgress(); form && form->Bar->isVisible()) {
      form->Button->click();
      pressed = true;
    }
  });
  press.start(delayMs);
  sinceStart.start();
  Named<QPushButton>(search, "Button1")->click();
  return pressed ? static_cast<double>(sinceStart.nsecsElapsed()) / 1e6 - delayMs : -1;
}

// Answers every box as an unattended run does (No, Cancel, the default), without a word: the
// load report of a big library would fill the screen.
class QuietDialogs final : public DialogSeam {
 public:
  ModalResult MessageBox(QWidget*, const QString&, const QString&, MsgButtons buttons, MsgIcon,
                         ModalResult) override {
    return buttons == MsgButtons::Ok      ? ModalResult::Ok
           : buttons == MsgButtons::YesNo ? ModalResult::No
                                          : ModalResult::Cancel;
  }
  QStringList GetOpenFileNames(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  void ShowTimedNotice(const QString&, int) override {}
  ModalResult AskYesNoAll(const QString&, const QString&, ModalResult defaultResult,
                          Qt::Alignment) override {
    return defaultResult;
  }
  ModalResult Execute(QDialog&) override { return ModalResult::Cancel; }
};

// Moves through the list: the bar dragged in equal steps, then the down arrow held, each step
// painted through the event loop.
void ListSteps(QTableView& list) {
  QScrollBar* bar = list.verticalScrollBar();
  QElapsedTimer t;
  t.start();
  for (int i = 1; i <= kSteps; ++i) {
    bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * i / kSteps));
    list.viewport()->repaint();
  }
  const double paged = static_cast<double>(t.elapsed()) / kSteps;
  list.setFocus();
  list.setCurrentIndex(list.model()->index(list.model()->rowCount() / 2, 0));
  QCoreApplication::processEvents();
  const int from = list.currentIndex().row();
  t.restart();
  for (int i = 0; i < kSteps; ++i) {
    QTest::keyClick(&list, Qt::Key_Down);
    QCoreApplication::processEvents();
  }
  const double stepped = static_cast<double>(t.elapsed()) / kSteps;
  Check(list.currentIndex().row() == from + kSteps, "the arrow key lost a step");
  std::printf(
      "each of %d steps in the list of %d rows: scroll, page painted %.2f ms; down arrow (the "
      "selection moves and the main window is asked to show the row) %.2f ms\n",
      kSteps, list.model()->rowCount(), paged, stepped);
}

void SortEveryColumn(TSearchForm& search, QTableView& list) {
  QHeaderView* header = list.horizontalHeader();
  const TLogMessage* current =
      search.Results()[static_cast<std::size_t>(list.currentIndex().row())];
  std::printf("sort by column click (%zu rows, the current row carried):", search.Results().size());
  for (int column = 0; column < kResultColumnCount; ++column) {
    QElapsedTimer t;
    t.start();
    emit header->sectionClicked(column);
    list.viewport()->repaint();
    QCoreApplication::processEvents();
    std::printf(" %s %lld ms;", kColumnCaptions[column], static_cast<long long>(t.elapsed()));
    Check(search.Results()[static_cast<std::size_t>(list.currentIndex().row())] == current,
          "a sort lost the current row");
  }
  std::printf("\n");
}

}  // namespace
}  // namespace yuzulog

int main(int argc, char** argv) {
  using namespace yuzulog;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  bench::gBenchName = "search_bench";
  const char* folder = bench::CorpusFolder();
  if (folder == nullptr) {
    std::fprintf(stderr, "search_bench: set YUZULOG_BENCH_CORPUS to a folder of .LOG files\n");
    return 2;
  }
  std::vector<std::string> paths;
  std::uintmax_t bytes = 0;
  for (const auto& path : bench::CorpusLogFiles(folder)) {
    if (bytes >= bench::CorpusByteLimit()) break;
    bytes += std::filesystem::file_size(path);
    paths.push_back(path.string());
  }
  QuietDialogs boxes;
  SetDialogSeam(&boxes);

  TMainForm main({"yuzulog", "ViewMode:1"});
  main.ShiftHeld = [] { return false; };
  TSearchForm search(main.Space());
  main.SetSearchWindow(&search);
  main.show();
  search.resize(800, 700);
  search.show();
  QElapsedTimer t;
  t.start();
  main.LoadFileList(paths, false);
  std::printf("%zu files, %d tree nodes opened in the main window in %lld ms\n", paths.size(),
              main.Space().Tree().NodeCount(), static_cast<long long>(t.elapsed()));

  // Cancelling the slowest scan (blanks and case ignored) part-way, several times.
  Type(search, QStringLiteral("柚子胡椒"), 2, true);
  std::vector<double> latencies;
  for (int delay : {60, 110, 160, 210, 260}) {
    const double ms = CancelAfter(search, delay);
    if (ms >= 0) latencies.push_back(ms);
  }
  if (latencies.empty()) {
    std::printf("cancel: every search ended before the cancel button could be pressed\n");
  } else {
    std::sort(latencies.begin(), latencies.end());
    std::printf(
        "cancel pressed during %zu searches: the window back after %.1f ms (median), %.1f ms "
        "(most)\n",
        latencies.size(), latencies[latencies.size() / 2], latencies.back());
  }
  WatchedSearch(search, "mode 5 '柚子胡椒'");

  // The big result.
  const char* word = std::getenv("YUZULOG_BENCH_WORD");
  const QString key = QString::fromUtf8(word ? word : "modem");
  Type(search, key, 0, false);
  WatchedSearch(search, ("mode 0 '" + key.toStdString() + "'").c_str());
  Check(!search.Results().empty(), "the search found nothing");
  if (search.Results().size() < 2 * kSteps) {
    std::printf("too few rows for the list figures\n");
    return bench::ExitStatus();
  }
  auto* list = Named<QTableView>(search, "ListView1");
  ListSteps(*list);
  SortEveryColumn(search, *list);
  return bench::ExitStatus();
}
