// Where the benchmarks find their library: the .LOG files of the folder YUZULOG_BENCH_CORPUS
// names (a library from yuzulog-corpus-gen), in name order, up to YUZULOG_BENCH_MB megabytes.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace yuzulog::bench {

// The folder, or nullptr when the variable is not set.
inline const char* CorpusFolder() {
  return std::getenv("YUZULOG_BENCH_CORPUS");
}

// The most bytes of text to load (YUZULOG_BENCH_MB, default 256 MB).
inline std::size_t CorpusByteLimit() {
  const char* mb = std::getenv("YUZULOG_BENCH_MB");
  return static_cast<std::size_t>(mb ? std::atol(mb) : 256) << 20;
}

// The .LOG files of folder, sorted by name.
inline std::vector<std::filesystem::path> CorpusLogFiles(const char* folder) {
  std::vector<std::filesystem::path> logs;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".LOG") logs.push_back(entry.path());
  std::sort(logs.begin(), logs.end());
  return logs;
}

// The figures a benchmark got wrong: each is reported on stderr under the benchmark's name (set
// gBenchName first), and the benchmark ends with ExitStatus().
inline const char* gBenchName = "bench";
inline int gFailures = 0;
inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "%s: %s\n", gBenchName, what);
  ++gFailures;
}
inline int ExitStatus() {
  return gFailures == 0 ? 0 : 1;
}

}  // namespace yuzulog::bench
