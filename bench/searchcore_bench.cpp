// The search step over a whole library, as the search window and `yuzulog-cli search` run it: the
// gate of each keyword's rarest byte pair over each file's text, then the exact test of the
// messages it lets through. Each keyword in each mode 0-5; modes 4 and 5 (blanks between any two
// characters) set against mode 1 in the same run.
//
// Files: the .LOG files of YUZULOG_BENCH_CORPUS=DIR, up to YUZULOG_BENCH_MB megabytes (default
// 256), loaded as the program loads them.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/benchlibrary.h"
#include "platform/cp932.h"
#include "search/search.h"

namespace yuzulog {
namespace {

const LogFiles& Library() {
  static const LogFiles files = bench::LoadLibrary("searchcore_bench");
  return files;
}

// The keywords the corpus generator plants (its defaults), as the window's fields hold them.
const std::vector<std::string>& Keywords() {
  static const std::vector<std::string> keywords = {"zanzibar", "modem", "柚子胡椒"};
  return keywords;
}

void BM_Search(benchmark::State& state) {
  const LogFiles& files = Library();
  const int mode = static_cast<int>(state.range(0));
  SearchFields fields;
  fields.Edit[0] = Utf8ToCp932(Keywords()[static_cast<std::size_t>(state.range(1))]).bytes;
  fields.CheckBox[0] = true;
  fields.IgnoreCase = mode % 2 == 1;
  fields.IgnoreCode = IgnoreCodeFromIndex(mode / 2);
  std::size_t hits = 0;
  for (auto _ : state) {
    SearchState search;
    SearchJob job;
    NullProgress progress;
    search.SearchMessages(progress, job, fields, files, files.TotalMessages());
    hits = job.Hits.size();
  }
  state.counters["hits"] = static_cast<double>(hits);
}

void Args(benchmark::internal::Benchmark* b) {
  b->ArgNames({"mode", "key"});
  for (int key = 0; key < 3; ++key)
    for (int mode = 0; mode < 6; ++mode)
      b->Args({mode, key});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Search)->Apply(Args);

}  // namespace
}  // namespace yuzulog

BENCHMARK_MAIN();
