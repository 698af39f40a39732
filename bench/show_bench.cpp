// Showing messages in the real main window over a loaded library: the time of one drawing, from
// the moment the quiet pause after the last request ends (the render timer fires) to the page's
// loadFinished, for a sample of ordinary messages (200-2000 bytes) and for the largest messages;
// and the down arrow held in the tree, which must draw nothing until it is released, then once.
//
// Files: the .LOG files of YUZULOG_BENCH_CORPUS, up to YUZULOG_BENCH_MB megabytes (default 256);
// YUZULOG_BENCH_SAMPLES ordinary messages (default 200). Run it under Xvfb
// (xvfb-run -a -s "-screen 0 1280x800x24"): the offscreen platform loads pages but may not draw
// them. A view that drew while the key was held, or not once after, ends it with status 1.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/benchcorpus.h"
#include "dialogs/dialogseam.h"
#include "mainwindow/ui/mainform.h"
#include "platform/fontaliases.h"
#include "tests/support/rununtil.h"

namespace yuzulog {
namespace {

int gFailures = 0;

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "show_bench: %s\n", what);
  ++gFailures;
}

// Notes when the render timer fires: its timer event comes before the drawing it starts.
class FireClock : public QObject {
 public:
  explicit FireClock(QObject* timer, const QElapsedTimer& clock) : FClock(clock) {
    timer->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer) FiredNs = FClock.nsecsElapsed();
    return false;
  }
  qint64 FiredNs = -1;

 private:
  const QElapsedTimer& FClock;
};

struct Figures {
  double Median = 0;
  double P95 = 0;
  double Max = 0;
};

Figures Summarise(std::vector<double> ms) {
  if (ms.empty()) return {};
  std::sort(ms.begin(), ms.end());
  const auto at = [&ms](double q) {
    return ms[std::min(ms.size() - 1,
                       static_cast<std::size_t>(q * static_cast<double>(ms.size())))];
  };
  return {at(0.5), at(0.95), ms.back()};
}

class ShowBench {
 public:
  ShowBench()
      : FForm({"yuzulog-show-bench"}),
        FTree(FForm.findChild<QTreeView*>(QStringLiteral("TreeView1"))),
        FWeb(FForm.findChild<QWebEngineView*>(QStringLiteral("FView"))) {
    FClock.start();
    FFire = std::make_unique<FireClock>(FForm.findChild<QTimer*>(QStringLiteral("FRenderTimer")),
                                        FClock);
    QObject::connect(FWeb, &QWebEngineView::loadFinished,
                     [this] { FLoadedNs = FClock.nsecsElapsed(); });
    QObject::connect(&FForm, &TMainForm::ViewDrawn, [this] {
      ++FDrawings;
      FDrawnNs = FClock.nsecsElapsed();
    });
    FForm.resize(1000, 700);
    FForm.show();
  }

  void Load(const std::vector<std::string>& paths) {
    QElapsedTimer t;
    t.start();
    FForm.LoadFileList(paths, false);
    std::printf("%zu files, %lld messages loaded into the window in %lld ms\n", paths.size(),
                FForm.Files().TotalMessages(), static_cast<long long>(t.elapsed()));
    Settle();
  }

  // One drawing of m as the tree asks for it: ms from the timer firing to loadFinished.
  double Draw(const TLogMessage* m) {
    FFire->FiredNs = -1;
    FLoadedNs = -1;
    FForm.Space().Show(m, ShowOrigin::Tree);
    const bool loaded = testing::RunUntil(
        [this] { return FFire->FiredNs >= 0 && FLoadedNs > FFire->FiredNs; }, 10000);
    Check(loaded, "a page did not finish loading");
    WriteMs.push_back(static_cast<double>(FDrawnNs - FFire->FiredNs) / 1e6);
    return static_cast<double>(FLoadedNs - FFire->FiredNs) / 1e6;
  }
  // Of each drawing, the program's own part: from the timer firing to the page file written and
  // handed to the browser.
  std::vector<double> WriteMs;

  // The down arrow held for presses steps, one every repeatMs, from the first message node.
  void HoldDownArrow(int presses, int repeatMs) {
    // Rooms expanded until there are rows enough for every press (a step that finds no row below
    // asks for nothing, and the pause would end).
    const QAbstractItemModel& model = *FTree->model();
    int rows = 0;
    for (int r = 0; r < model.rowCount() && rows <= presses + 1; ++r) {
      FTree->expand(model.index(r, 0));
      rows += 1 + model.rowCount(model.index(r, 0));
    }
    presses = std::min(presses, rows - 2);
    FTree->setCurrentIndex(model.index(0, 0));
    FTree->setFocus();
    Settle();
    const int before = FDrawings;
    std::vector<double> steps;
    QElapsedTimer t;
    qint64 longestGap = 0;  // between two presses; the pause is 100 ms
    for (int i = 0; i < presses; ++i) {
      if (i > 0) longestGap = std::max(longestGap, t.elapsed());
      t.start();
      QTest::keyPress(FTree, Qt::Key_Down);
      steps.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
      testing::RunFor(std::max(0, repeatMs - static_cast<int>(t.elapsed())));
    }
    const int whileHeld = FDrawings - before;
    QTest::keyRelease(FTree, Qt::Key_Down);
    Settle();
    const int afterRelease = FDrawings - before - whileHeld;
    const Figures f = Summarise(steps);
    std::printf(
        "down arrow held in the tree of %lld messages, %d presses %d ms apart: %d drawings while "
        "held, %d after release; each step %.2f ms median, %.2f ms max\n",
        FForm.Files().TotalMessages(), presses, repeatMs, whileHeld, afterRelease, f.Median, f.Max);
    if (longestGap >= 90) {
      // The machine held the program up for as long as the pause: the hold was broken.
      std::printf("  (the machine stalled the key for %lld ms once; the hold proves nothing)\n",
                  static_cast<long long>(longestGap));
      return;
    }
    Check(whileHeld == 0, "the view drew while the key was held");
    Check(afterRelease == 1, "the view did not draw once after the key was released");
  }

  const LogFiles& Files() const { return FForm.Files(); }

 private:
  // Waits until the last request has been drawn and its page has loaded.
  void Settle() {
    Check(testing::RunUntil([this] { return !FForm.ViewBusy(); }, 10000),
          "a page did not finish loading");
  }

  TMainForm FForm;
  QTreeView* FTree;
  QWebEngineView* FWeb;
  QElapsedTimer FClock;
  std::unique_ptr<FireClock> FFire;
  qint64 FLoadedNs = -1;
  qint64 FDrawnNs = -1;
  int FDrawings = 0;
};

void Report(const char* what, const std::vector<double>& ms, std::vector<double>& written) {
  const Figures f = Summarise(ms);
  const Figures w = Summarise(written);
  std::printf(
      "%s, %zu drawings, timer fired to page loaded: median %.1f ms, 95th percentile %.1f ms, "
      "max %.1f ms; of which the page built, written and handed over: median %.2f ms, 95th "
      "percentile %.2f ms\n",
      what, ms.size(), f.Median, f.P95, f.Max, w.Median, w.P95);
  written.clear();
}

}  // namespace
}  // namespace yuzulog

int main(int argc, char** argv) {
  using namespace yuzulog;
  const char* folder = bench::CorpusFolder();
  if (!folder) {
    std::fprintf(stderr, "show_bench: set YUZULOG_BENCH_CORPUS to a folder of .LOG files\n");
    return 2;
  }
  // As the program starts: the browser engine refuses root with its sandbox on, and the pages'
  // font is found through the program's aliases.
  if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  UseFontAliases();
  QApplication app(argc, argv);
  SetDialogSeam(&UnattendedDialogs());

  std::vector<std::string> paths;
  std::size_t bytes = 0;
  for (const auto& p : bench::CorpusLogFiles(folder)) {
    if (bytes >= bench::CorpusByteLimit()) break;
    bytes += std::filesystem::file_size(p);
    paths.push_back(p.string());
  }
  const char* samplesVar = std::getenv("YUZULOG_BENCH_SAMPLES");
  const std::size_t samples = samplesVar ? std::strtoul(samplesVar, nullptr, 10) : 200;

  ShowBench bench;
  bench.Load(paths);

  // Ordinary messages spread evenly over the library, and the largest ones.
  std::vector<const TLogMessage*> ordinary, all;
  for (const auto& f : bench.Files())
    for (const TLogMessage& m : f->Messages()) {
      all.push_back(&m);
      if (m.TextSize() >= 200 && m.TextSize() <= 2000) ordinary.push_back(&m);
    }
  std::vector<double> ms;
  const std::size_t step =
      std::max<std::size_t>(1, ordinary.size() / std::max<std::size_t>(1, samples));
  for (std::size_t i = 0; i < ordinary.size() && ms.size() < samples; i += step)
    ms.push_back(bench.Draw(ordinary[i]));
  Report("ordinary messages (200-2000 bytes)", ms, bench.WriteMs);

  const std::size_t largest = std::min<std::size_t>(10, all.size());
  std::partial_sort(
      all.begin(), all.begin() + static_cast<std::ptrdiff_t>(largest), all.end(),
      [](const TLogMessage* a, const TLogMessage* b) { return a->TextSize() > b->TextSize(); });
  ms.clear();
  for (std::size_t i = 0; i < largest; ++i)
    ms.push_back(bench.Draw(all[i]));
  Report(("the " + std::to_string(largest) + " largest messages (" +
          std::to_string(largest ? all[largest - 1]->TextSize() : 0) + "-" +
          std::to_string(largest ? all[0]->TextSize() : 0) + " bytes)")
             .c_str(),
         ms, bench.WriteMs);

  bench.HoldDownArrow(90, 33);
  return gFailures == 0 ? 0 : 1;
}
