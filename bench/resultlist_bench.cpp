// The result list's column-click sort on a big result: the first click on each column (from the
// list in load order, as a search leaves it), the second click on the same column (the reversal)
// and a whole column click with a selection of 4,000 rows and a focused row carried over. Before
// any timing, every column's sort in both directions is compared with a stable sort by
// CompareMessages (the reference order); a difference ends the program with status 1. ReadKeys
// reads every row's key once, the part of a first click that no sort can avoid.
//
// Rows: the messages of the .LOG files of YUZULOG_BENCH_CORPUS=DIR in load order, up to
// YUZULOG_BENCH_ROWS (default 301,162: a common word's result on the million-message library).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/benchcorpus.h"
#include "logdata/logdata.h"
#include "search/resultlist.h"

namespace yuzulog {
namespace {

struct Rows {
  std::vector<std::unique_ptr<TLogData>> Files;
  std::vector<TLogMessage*> Messages;  // in load order
};

const Rows& TheRows() {
  static const Rows rows = [] {
    Rows r;
    const char* folder = bench::CorpusFolder();
    if (folder == nullptr) {
      std::fprintf(stderr,
                   "resultlist_bench: set YUZULOG_BENCH_CORPUS to a folder of .LOG files\n");
      std::exit(2);
    }
    const char* wanted = std::getenv("YUZULOG_BENCH_ROWS");
    const std::size_t limit = wanted ? std::strtoul(wanted, nullptr, 10) : 301162;
    for (const auto& path : bench::CorpusLogFiles(folder)) {
      if (r.Messages.size() >= limit) break;
      auto file = std::make_unique<TLogData>();
      if (!file->LoadFromFile(path.string())) continue;
      for (TLogMessage& m : file->Messages())
        if (r.Messages.size() < limit) r.Messages.push_back(&m);
      r.Files.push_back(std::move(file));
    }
    std::fprintf(stderr, "resultlist_bench: %zu rows\n", r.Messages.size());
    return r;
  }();
  return rows;
}

// Every key sorted twice (ascending, then the reversal) from load order, against the reference.
bool SortsMatchTheReference() {
  static const bool match = [] {
    for (const SortKey key : kColumnTags) {
      std::vector<TLogMessage*> results = TheRows().Messages;
      std::vector<TLogMessage*> expected = results;
      SortState state;
      for (const int direction : {1, -1}) {
        std::stable_sort(expected.begin(), expected.end(),
                         [&](const TLogMessage* a, const TLogMessage* b) {
                           return CompareMessages(*a, *b, key, direction) < 0;
                         });
        SortResults(results, state, key);
        if (results != expected) {
          std::fprintf(stderr, "resultlist_bench: sort by tag %d, direction %d differs\n",
                       static_cast<int>(key), direction);
          return false;
        }
      }
    }
    return true;
  }();
  return match;
}

SortKey KeyOf(const benchmark::State& state) {
  return kColumnTags[state.range(0)];
}

// The first click on a column: the list in load order each time.
void BM_FirstClick(benchmark::State& state) {
  if (!SortsMatchTheReference()) {
    state.SkipWithError("the sort differs from the reference order");
    return;
  }
  std::vector<TLogMessage*> results;
  for (auto _ : state) {
    state.PauseTiming();
    results = TheRows().Messages;
    SortState sort;
    state.ResumeTiming();
    SortResults(results, sort, KeyOf(state));
    benchmark::DoNotOptimize(results.data());
  }
  state.counters["rows"] = static_cast<double>(results.size());
}

// The second click on the same column, again and again: each one reverses the last.
void BM_SecondClick(benchmark::State& state) {
  if (!SortsMatchTheReference()) {
    state.SkipWithError("the sort differs from the reference order");
    return;
  }
  std::vector<TLogMessage*> results = TheRows().Messages;
  SortState sort;
  SortResults(results, sort, KeyOf(state));
  for (auto _ : state) {
    SortResults(results, sort, KeyOf(state));
    benchmark::DoNotOptimize(results.data());
  }
}

// A column click as the window makes it: 4,000 selected rows spread over the list and a focused
// row go in as messages and come out as rows of the new order. Clicks alternate between this
// column and the title column, so every one is a first click.
void BM_ColumnClickWithSelection(benchmark::State& state) {
  if (!SortsMatchTheReference()) {
    state.SkipWithError("the sort differs from the reference order");
    return;
  }
  std::vector<TLogMessage*> results = TheRows().Messages;
  SortState sort;
  const std::size_t step = std::max<std::size_t>(results.size() / 4000, 1);
  for (auto _ : state) {
    std::vector<const TLogMessage*> selected;
    for (std::size_t i = 0; i < results.size(); i += step)
      selected.push_back(results[i]);
    const TLogMessage* focused = results[results.size() / 2];
    const SortKey key = sort.LastSortKey == KeyOf(state) ? SortKey::Title : KeyOf(state);
    const CarriedSelection carried = ColumnClick(results, sort, key, selected, focused);
    benchmark::DoNotOptimize(carried.SelectedRows.data());
  }
}

// The floor of a first click: every row's key read once from its message, as the sort must.
void BM_ReadKeys(benchmark::State& state) {
  const std::vector<TLogMessage*>& rows = TheRows().Messages;
  const SortKey key = KeyOf(state);
  for (auto _ : state) {
    std::size_t sum = 0;
    for (const TLogMessage* m : rows) {
      switch (key) {
        case SortKey::Title:
          sum += m->Title().size();
          break;
        case SortKey::HandleName:
          sum += m->HandleName().size();
          break;
        case SortKey::ID:
          sum += m->ID().size();
          break;
        case SortKey::DateTime:
          sum += static_cast<std::size_t>(m->DateTime());
          break;
        case SortKey::BodySize:
          sum += m->BodySize();
          break;
        default:
          sum += static_cast<std::size_t>(m->Room + m->Number);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}

void Columns(benchmark::internal::Benchmark* b) {
  b->ArgName("column");
  for (int column = 0; column < kResultColumnCount; ++column)
    b->Arg(column);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FirstClick)->Apply(Columns);
BENCHMARK(BM_SecondClick)->Apply(Columns);
BENCHMARK(BM_ReadKeys)->Apply(Columns);
BENCHMARK(BM_ColumnClickWithSelection)->Arg(ColDate)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace yuzulog

BENCHMARK_MAIN();
