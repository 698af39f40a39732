// The conversion at the heart of every export, over the raw bytes of the library's .LOG files
// (YUZULOG_BENCH_CORPUS, up to YUZULOG_BENCH_MB): the scan for what does not convert one to one,
// which every export runs over every byte before it writes, and the conversion to UTF-8 as text
// (no escape), inside JSON strings and inside HTML. Bytes per second are of code page 932 input.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/benchcorpus.h"
#include "export/cp932export.h"
#include "platform/fileio.h"

namespace yuzulog {
namespace {

const std::vector<std::string>& Texts() {
  static const std::vector<std::string>* texts = [] {
    auto* t = new std::vector<std::string>;
    const char* folder = bench::CorpusFolder();
    if (folder == nullptr) {
      std::fprintf(stderr, "export_bench: set YUZULOG_BENCH_CORPUS to a folder of .LOG files\n");
      std::exit(2);
    }
    std::size_t bytes = 0;
    for (const auto& path : bench::CorpusLogFiles(folder)) {
      if (bytes >= bench::CorpusByteLimit()) break;
      std::string text;
      if (ReadWholeFile(path.string(), text, std::size_t{1} << 30) != 0) continue;
      bytes += text.size();
      t->push_back(std::move(text));
    }
    return t;
  }();
  return *texts;
}

std::int64_t TotalBytes() {
  std::int64_t n = 0;
  for (const std::string& t : Texts())
    n += static_cast<std::int64_t>(t.size());
  return n;
}

void Scan(benchmark::State& state) {
  const Cp932Table& table = Cp932Table::Get();
  std::vector<Cp932Exception> found;
  for (auto _ : state) {
    found.clear();
    for (const std::string& t : Texts())
      table.Scan(t, 0, found);
    benchmark::DoNotOptimize(found.data());
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes());
  state.counters["exceptions"] = static_cast<double>(found.size());
}
BENCHMARK(Scan)->Unit(benchmark::kMillisecond);

void Convert(benchmark::State& state) {
  const Cp932Table& table = Cp932Table::Get();
  const auto escape = static_cast<Utf8Escape>(state.range(0));
  // A buffer the size of an export file's, converted into and emptied as the export does.
  std::vector<char> buffer(std::size_t{1} << 20);
  std::size_t written = 0;
  for (auto _ : state) {
    written = 0;
    for (const std::string& t : Texts()) {
      std::string_view rest = t;
      while (!rest.empty()) {
        char* o = buffer.data();
        rest.remove_prefix(table.Convert(rest, escape, o, buffer.data() + buffer.size()));
        written += static_cast<std::size_t>(o - buffer.data());
      }
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(state.iterations() * TotalBytes());
  state.counters["utf8_bytes"] = static_cast<double>(written);
}
BENCHMARK(Convert)
    ->Arg(static_cast<int>(Utf8Escape::None))
    ->Arg(static_cast<int>(Utf8Escape::Json))
    ->Arg(static_cast<int>(Utf8Escape::Html))
    ->ArgName("escape")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace yuzulog

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  yuzulog::Texts();
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
