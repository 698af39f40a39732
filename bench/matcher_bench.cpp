// The keyword scan in each mode 0-5: TMotCle::Find (candidate search, then the exact attempt)
// next to FindPlain (the byte loop, one attempt per start position), over a large set of
// messages. Before any timing, every message's answer of the two is compared in every mode and
// the benchmark stops on the first difference.
//
// Messages: with YUZULOG_BENCH_CORPUS=DIR the .LOG files of a generated library (up to
// YUZULOG_BENCH_MB megabytes, default 256), otherwise about 64 MB of text made here.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/benchcorpus.h"
#include "logdata/logdata.h"
#include "logdata/motcle.h"
#include "platform/cp932.h"

namespace yuzulog {
namespace {

// The bodies to scan, each zero-terminated in a buffer that outlives the benchmarks, with the end
// of that buffer (what the search of a message may read up to, as a search does).
struct Corpus {
  std::vector<std::unique_ptr<TLogData>> Files;  // loaded logs
  std::string Text;                              // made here: messages separated by NUL
  std::vector<const char*> Bodies;
  std::vector<const char*> Readable;
  std::size_t Bytes = 0;
};

std::string Sjis(const char* utf8) {
  return Utf8ToCp932(utf8).bytes;
}

// A deterministic mix of Japanese sentences, ASCII words, blanks and line breaks, with the
// keywords at known rates: "zanzibar" rare, "modem" common, 柚子胡椒 now and then.
void MakeText(Corpus& c, std::size_t targetBytes) {
  const std::vector<std::string> pieces = {
      Sjis("今日は良い天気ですね。"),
      Sjis("ゆずの香りがします。"),
      Sjis("会議室の皆さん、"),
      Sjis("ｶﾞﾗｽﾋﾞﾝﾆ ﾕｽﾞﾉ"),
      Sjis("　全角の空白　"),
      "the quick brown fox ",
      "NIFTY-Serve forum ",
      "http://www.example.com/ ",
      Sjis("漢字と仮名の混じった文"),
      "\r\n",
      "\r\n\r\n",
      "  ",
      Sjis("データ通信"),
      "MODEM ",
      Sjis("ミカン、みかん、蜜柑"),
  };
  std::uint64_t state = 88172645463325252ull;
  auto next = [&] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  c.Text.reserve(targetBytes + 4096);
  std::vector<std::size_t> starts;
  while (c.Text.size() < targetBytes) {
    starts.push_back(c.Text.size());
    const std::size_t length = 200 + next() % 1800;
    const std::size_t begin = c.Text.size();
    while (c.Text.size() - begin < length) {
      const std::uint64_t r = next() % 1000;
      if (r == 0)
        c.Text += "zanzibar ";
      else if (r < 30)
        c.Text += "modem ";
      else if (r < 33)
        c.Text += Sjis("柚子胡椒");
      else
        c.Text += pieces[next() % pieces.size()];
    }
    c.Text += '\0';
  }
  for (std::size_t s : starts) {
    c.Bodies.push_back(c.Text.data() + s);
    c.Readable.push_back(c.Text.data() + c.Text.size());
  }
  c.Bytes = c.Text.size();
}

void LoadCorpus(Corpus& c, const std::string& folder, std::size_t maxBytes) {
  for (const auto& path : bench::CorpusLogFiles(folder.c_str())) {
    if (c.Bytes >= maxBytes) break;
    auto file = std::make_unique<TLogData>();
    if (!file->LoadFromFile(path.string())) continue;
    c.Bytes += file->BufferSize();
    for (const TLogMessage& m : file->Messages()) {
      c.Bodies.push_back(m.BodyStart);
      c.Readable.push_back(file->Buffer() + file->BufferSize());
    }
    c.Files.push_back(std::move(file));
  }
}

const Corpus& TheCorpus() {
  static const Corpus corpus = [] {
    Corpus c;
    const char* folder = bench::CorpusFolder();
    if (folder != nullptr)
      LoadCorpus(c, folder, bench::CorpusByteLimit());
    else
      MakeText(c, 64u << 20);
    std::fprintf(stderr, "matcher_bench: %zu messages, %zu MB\n", c.Bodies.size(), c.Bytes >> 20);
    return c;
  }();
  return corpus;
}

const std::vector<std::string>& Keywords() {
  static const std::vector<std::string> keywords = {"zanzibar", "modem", Sjis("柚子胡椒")};
  return keywords;
}

// Every message's answer of Find and FindPlain, compared once for every keyword and mode.
bool ResultsIdentical() {
  static const bool identical = [] {
    for (const std::string& key : Keywords()) {
      const TMotCle k(key);
      for (int number = 0; number < kScanModeCount; ++number) {
        const auto mode = static_cast<ScanMode>(number);
        const Corpus& c = TheCorpus();
        for (std::size_t i = 0; i < c.Bodies.size(); ++i) {
          const char* plain = k.FindPlain(c.Bodies[i], mode);
          if (k.Find(c.Bodies[i], mode, c.Readable[i]) != plain ||
              k.Find(c.Bodies[i], mode) != plain) {
            std::fprintf(stderr, "matcher_bench: Find and FindPlain differ (mode %d)\n", number);
            return false;
          }
        }
      }
    }
    return true;
  }();
  return identical;
}

template <bool Plain>
void BM_Scan(benchmark::State& state) {
  if (!ResultsIdentical()) {
    state.SkipWithError("Find and FindPlain give different results");
    return;
  }
  const Corpus& corpus = TheCorpus();
  const TMotCle key(Keywords()[static_cast<std::size_t>(state.range(1))]);
  const auto mode = static_cast<ScanMode>(state.range(0));
  std::size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (std::size_t i = 0; i < corpus.Bodies.size(); ++i) {
      const char* body = corpus.Bodies[i];
      hits +=
          (Plain ? key.FindPlain(body, mode) : key.Find(body, mode, corpus.Readable[i])) != nullptr;
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.Bytes));
  state.counters["hits"] = static_cast<double>(hits);
}

// The floor of any scan: every body read once by the C library's strlen, which does nothing but
// look for the terminator. What a keyword scan takes beyond this is the matcher's own work; the
// rest is the memory bandwidth of the machine.
void BM_Strlen(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const char* body : corpus.Bodies)
      bytes += std::strlen(body);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.Bytes));
}

void Args(benchmark::internal::Benchmark* b) {
  b->ArgNames({"mode", "key"});
  for (int key = 0; key < 3; ++key)
    for (int mode = 0; mode < kScanModeCount; ++mode)
      b->Args({mode, key});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Scan<false>)->Name("Find")->Apply(Args);
BENCHMARK(BM_Scan<true>)->Name("FindPlain")->Apply(Args);
BENCHMARK(BM_Strlen)->Name("Strlen")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace yuzulog

BENCHMARK_MAIN();
