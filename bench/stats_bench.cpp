// The statistics window's figures over a loaded library: the whole pass of ComputeArchiveStats
// (rooms, months, writers, thread lengths) after the tree is built, as the window and
// `yuzulog-cli stats` run it. The first pass also computes every message's date, which later
// passes find cached; both are reported.
//
// Files: the .LOG files of YUZULOG_BENCH_CORPUS=DIR, up to YUZULOG_BENCH_MB megabytes (run.sh
// gives the whole library, about a million messages).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "bench/benchlibrary.h"
#include "mainwindow/messagetree.h"
#include "stats/archivestats.h"

namespace yuzulog {
namespace {

struct Loaded {
  LogFiles Files;
  MessageTree Tree;
  double FirstPassMs = 0;
};

Loaded& TheLibrary() {
  static Loaded* loaded = [] {
    auto* l = new Loaded{bench::LoadLibrary("stats_bench"), {}, 0};
    NullProgress progress;
    BuildMessageTree(l->Files, l->Tree, progress);
    const auto t0 = std::chrono::steady_clock::now();
    const ArchiveStats s = ComputeArchiveStats(l->Files, l->Tree);
    l->FirstPassMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::fprintf(stderr,
                 "stats_bench: first pass (dates not yet cached) %.1f ms: %zu rooms, "
                 "%zu months, %zu writers\n",
                 l->FirstPassMs, s.Rooms.size(), s.Months.size(), s.Writers.size());
    bench::gBenchName = "stats_bench";
    bench::Check(s.Messages == l->Files.TotalMessages(), "the figures miss messages");
    return l;
  }();
  return *loaded;
}

void ArchiveFigures(benchmark::State& state) {
  Loaded& l = TheLibrary();
  for (auto _ : state) {
    ArchiveStats s = ComputeArchiveStats(l.Files, l.Tree);
    benchmark::DoNotOptimize(s);
  }
  state.counters["messages"] = static_cast<double>(l.Files.TotalMessages());
  state.counters["first_pass_ms"] = l.FirstPassMs;
}
BENCHMARK(ArchiveFigures)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace yuzulog

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  yuzulog::TheLibrary();
  benchmark::RunSpecifiedBenchmarks();
  return yuzulog::bench::ExitStatus();
}
