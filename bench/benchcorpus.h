// Where the benchmarks find their library: the .LOG files of the folder YUZULOG_BENCH_CORPUS
// names (a library from yuzulog-corpus-gen), in name order, up to YUZULOG_BENCH_MB megabytes.
#pragma once

#include <algorithm>
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

}  // namespace yuzulog::bench
