// Read marks over the loaded library: the lookup that makes the tree bold after a load, with
// every message marked (the most rows the database can hand back for it), the latency of marking
// as the window sees it, marking a thread and the tree's grey counts.
//
// Files: the .LOG files of YUZULOG_BENCH_CORPUS=DIR, up to YUZULOG_BENCH_MB megabytes (default
// 256). The database lives in a temporary folder removed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "bench/benchlibrary.h"
#include "marks/marklookup.h"
#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

struct Library {
  Library() {
    // The generated rooms hold no thread of 500 messages: one more room has one, half of its
    // comments on the message before, half on any earlier one.
    testing::LogBuilder b;
    std::uint32_t seed = 500;
    for (int n = 1; n <= 500; ++n) {
      seed = seed * 1103515245u + 12345u;
      const int to = n == 1             ? -1
                     : (seed >> 16) % 2 ? n - 1
                                        : 1 + static_cast<int>(seed >> 17) % (n - 1);
      b.Add({.Number = n, .Room = 99, .CommentTo = to});
    }
    Files.Append(testing::ParsedLog(b.Text(), "ROOM99-THREAD.LOG"));
    Files.SortLogFiles();
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

// The largest thread of the tree, in tree order.
std::vector<std::int32_t> LargestThread(const MessageTree& tree) {
  std::vector<std::int32_t> largest;
  for (int room = 0; room < tree.TopLevelCount(); ++room) {
    const std::int32_t r = tree.Child(MessageTree::kNone, room);
    for (int t = 0; t < tree.ChildCount(r); ++t) {
      std::vector<std::int32_t> nodes = SubtreeMessageNodes(tree, tree.Child(r, t));
      if (nodes.size() > largest.size()) largest = std::move(nodes);
    }
  }
  return largest;
}

// What the window's thread does when one thread is marked read or unread from the tree's menu:
// the bits set, the keys queued for the store, the grey counts of the ancestors brought up to
// date. CPU time: the goal is 5 ms. The full recount it replaces is BM_UnreadCounts.
void BM_MarkOneThread(benchmark::State& state) {
  Library& l = Loaded();
  NodeBits read;
  LookUpReadMarks(*l.Store, l.Tree, read);
  std::vector<std::int32_t> counts = UnreadCounts(l.Tree, read);
  const std::vector<std::int32_t> thread = LargestThread(l.Tree);
  bool value = !read.Test(thread.front());
  std::vector<MarkKey> keys;
  for (auto _ : state) {
    for (const std::int32_t n : thread)
      read.Set(n, value);
    keys.clear();
    for (const std::int32_t n : thread)
      keys.push_back(MarkKeyOf(*l.Tree.At(n).Message));
    l.Store->MarkRead(keys, value);
    benchmark::DoNotOptimize(AdjustUnreadCounts(l.Tree, counts, thread, value));
    value = !value;
  }
  l.Store->Flush();
  state.counters["nodes"] = static_cast<double>(l.Tree.NodeCount());
  state.counters["marked"] = static_cast<double>(thread.size());
  int depth = 0;
  for (const std::int32_t n : thread) {
    int d = 0;
    for (std::int32_t a = n; a != MessageTree::kNone; a = l.Tree.At(a).Parent)
      ++d;
    depth = std::max(depth, d);
  }
  state.counters["depth"] = depth;
}
BENCHMARK(BM_MarkOneThread)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();

}  // namespace
}  // namespace yuzulog

BENCHMARK_MAIN();
