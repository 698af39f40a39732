// The tree pane's model over a loaded library: every node reached the way a view reaches its rows
// (index, rowCount, the label of DisplayRole), and the reset that shows a rebuilt tree. The
// label is decoded from code page 932 on each request, so the walk shows what a view pays per
// row it paints.
//
// Files: the .LOG files of YUZULOG_BENCH_CORPUS=DIR, up to YUZULOG_BENCH_MB megabytes (default
// 256).
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "bench/benchlibrary.h"
#include "mainwindow/messagetree.h"
#include "mainwindow/ui/messagetreemodel.h"

namespace yuzulog {
namespace {

LogFiles& LoadedFiles() {
  static LogFiles files = bench::LoadLibrary("model_bench");
  return files;
}

const MessageTree& BuiltTree() {
  static const MessageTree tree = [] {
    MessageTree t;
    NullProgress progress;
    BuildMessageTree(LoadedFiles(), t, progress);
    return t;
  }();
  return tree;
}

// Depth first through the whole tree, as if every room and thread were expanded and scrolled
// past; returns the characters of all labels so that nothing is optimised away.
std::size_t Walk(const MessageTreeModel& model, const QModelIndex& parent) {
  std::size_t chars = 0;
  const int rows = model.rowCount(parent);
  for (int row = 0; row < rows; ++row) {
    const QModelIndex child = model.index(row, 0, parent);
    chars += static_cast<std::size_t>(model.data(child, Qt::DisplayRole).toString().size());
    if (model.hasChildren(child)) chars += Walk(model, child);
  }
  return chars;
}

void BM_TreeModelWalk(benchmark::State& state) {
  const MessageTree& tree = BuiltTree();
  MessageTreeModel model(tree);
  std::size_t chars = 0;
  for (auto _ : state) {
    chars = Walk(model, QModelIndex());
    benchmark::DoNotOptimize(chars);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * tree.NodeCount());
  state.counters["nodes"] = static_cast<double>(tree.NodeCount());
}
BENCHMARK(BM_TreeModelWalk)->Unit(benchmark::kMillisecond);

// Only the structure: index and parent of every node, no label. What selection changes and
// expanding cost per row.
std::size_t WalkStructure(const MessageTreeModel& model, const QModelIndex& parent) {
  std::size_t n = 0;
  const int rows = model.rowCount(parent);
  for (int row = 0; row < rows; ++row) {
    const QModelIndex child = model.index(row, 0, parent);
    n += model.parent(child) == parent;
    if (model.hasChildren(child)) n += WalkStructure(model, child);
  }
  return n;
}

void BM_TreeModelStructure(benchmark::State& state) {
  const MessageTree& tree = BuiltTree();
  MessageTreeModel model(tree);
  std::size_t n = 0;
  for (auto _ : state) {
    n = WalkStructure(model, QModelIndex());
    benchmark::DoNotOptimize(n);
  }
  if (n != static_cast<std::size_t>(tree.NodeCount()))
    state.SkipWithError("the walk did not reach every node with its parent");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * tree.NodeCount());
}
BENCHMARK(BM_TreeModelStructure)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace yuzulog

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
