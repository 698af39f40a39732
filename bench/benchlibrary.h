// The library as the window benchmarks hold it: the .LOG files of YUZULOG_BENCH_CORPUS loaded as
// the program loads them (up to YUZULOG_BENCH_MB), in LogFiles' order.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/benchcorpus.h"
#include "logdata/logfiles.h"

namespace yuzulog::bench {

// who names the benchmark in its messages on stderr; without the variable it ends the program.
inline LogFiles LoadLibrary(const char* who) {
  const char* folder = CorpusFolder();
  if (folder == nullptr) {
    std::fprintf(stderr, "%s: set YUZULOG_BENCH_CORPUS to a folder of .LOG files\n", who);
    std::exit(2);
  }
  LogFiles files;
  const std::size_t limit = CorpusByteLimit();
  std::size_t bytes = 0;
  for (const auto& path : CorpusLogFiles(folder)) {
    if (bytes >= limit) break;
    auto data = std::make_unique<TLogData>();
    if (!data->LoadFromFile(path.string())) continue;
    bytes += data->BufferSize();
    files.Append(std::move(data));
  }
  files.SortLogFiles();
  std::fprintf(stderr, "%s: %d files, %lld messages\n", who, files.Count(),
               static_cast<long long>(files.TotalMessages()));
  return files;
}

}  // namespace yuzulog::bench
