// Read marks over the loaded library: the lookup that makes the tree bold after a load, with
// every message marked (the most rows the database can hand back for it), the latency of marking
// as the window sees it, and the tree's grey counts.
//
// Files: the .LOG files of YUZULOG_BENCH_CORPUS=DIR, up to YUZULOG_BENCH_MB megabytes (default
// 256). The database lives in a temporary folder removed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "bench/benchlibrary.h"
#include "marks/marklookup.h"

namespace yuzulog {
namespace {

struct Library {
  Library() {
    NullProgress progress;
    BuildMessageTree(Files, Tree, progress);
    char pattern[] = "/tmp/yuzulog-marks-bench-XXXXXX";
    if (!mkdtemp(pattern)) std::exit(2);
    Folder = pattern;
    std::string problem;
    Store = MarkStore::Open(MarkStorePath(Folder + "/"), problem);
    if (!Store) {
      std::fprintf(stderr, "marks_bench: %s\n", problem.c_str());
      std::exit(2);
    }
    std::vector<MarkKey> keys;
    for (std::int32_t n = 0; n < Tree.NodeCount(); ++n)
      if (const TLogMessage* m = Tree.At(n).Message) keys.push_back(MarkKeyOf(*m));
    Store->MarkRead(keys, true);
    Store->Flush();
  }
  ~Library() {
    Store.reset();
    std::error_code ec;
    std::filesystem::remove_all(Folder, ec);
  }
  LogFiles Files = bench::LoadLibrary("marks_bench");
  MessageTree Tree;
  std::string Folder;
  std::unique_ptr<MarkStore> Store;
};

Library& Loaded() {
  static Library library;
  return library;
}

// From the stored rows to one bit per node: what runs on the lookup thread after a load.
void BM_LookUpReadMarks(benchmark::State& state) {
  Library& l = Loaded();
  NodeBits read;
  for (auto _ : state) {
    LookUpReadMarks(*l.Store, l.Tree, read);
    benchmark::DoNotOptimize(read);
  }
  state.counters["marks"] = static_cast<double>(l.Files.TotalMessages());
}
BENCHMARK(BM_LookUpReadMarks)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the window waits for when a message is shown (one key) and when a thread is marked read
// from the context menu (state.range(0) keys): the queue only, the writer stores it later.
void BM_MarkRead(benchmark::State& state) {
  Library& l = Loaded();
  std::vector<MarkKey> keys;
  for (std::int32_t n = 0; n < l.Tree.NodeCount() && std::ssize(keys) < state.range(0); ++n)
    if (const TLogMessage* m = l.Tree.At(n).Message) keys.push_back(MarkKeyOf(*m));
  for (auto _ : state)
    l.Store->MarkRead(keys, true);
  l.Store->Flush();
}
BENCHMARK(BM_MarkRead)->Arg(1)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The grey counts after a lookup, and Space's search for the next unread message when every
// message is read (the longest search: to the end of the tree).
void BM_UnreadCounts(benchmark::State& state) {
  Library& l = Loaded();
  NodeBits read;
  LookUpReadMarks(*l.Store, l.Tree, read);
  for (auto _ : state)
    benchmark::DoNotOptimize(UnreadCounts(l.Tree, read));
}
BENCHMARK(BM_UnreadCounts)->Unit(benchmark::kMillisecond);

void BM_NextUnreadWhenAllAreRead(benchmark::State& state) {
  Library& l = Loaded();
  NodeBits read;
  LookUpReadMarks(*l.Store, l.Tree, read);
  for (auto _ : state)
    benchmark::DoNotOptimize(NextUnreadNode(l.Tree, l.Tree.FirstNode(), read));
}
BENCHMARK(BM_NextUnreadWhenAllAreRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace yuzulog

BENCHMARK_MAIN();
