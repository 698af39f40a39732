// The loading side, piece by piece: reading the files, cutting them into messages (Parse next to
// ParsePlain), sorting the files and counting overlaps, building the message tree, and writing
// message pages. Before any timing, every file is parsed both ways and the records and the
// rewritten buffers are compared; on the first difference the program says where and exits 1.
//
// Files: the .LOG files of YUZULOG_BENCH_CORPUS=DIR (a library from yuzulog-corpus-gen), up to
// YUZULOG_BENCH_MB megabytes (default 256).
//
// ExtractLzh times one archive's largest member coming out of our LHA reader next to libarchive
// (the first .lzh file of YUZULOG_BENCH_LZH=DIR, or that file itself; skipped when unset). Both
// give the same bytes before either is timed.
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
#include "htmlview/htmlpage.h"
#include "logdata/logdata.h"
#include "logdata/logfiles.h"
#include "logdata/logloader.h"
#include "logdata/unlha32.h"
#include "mainwindow/messagetree.h"

namespace yuzulog {
namespace {

struct Corpus {
  std::vector<std::string> Paths;
  std::vector<std::string> Texts;  // each file's bytes as read, with the final NUL
  std::size_t Bytes = 0;
};

const Corpus& TheCorpus() {
  static const Corpus corpus = [] {
    Corpus c;
    const char* folder = bench::CorpusFolder();
    if (folder == nullptr) {
      std::fprintf(stderr, "load_bench: set YUZULOG_BENCH_CORPUS to a folder of .LOG files\n");
      std::exit(2);
    }
    const std::size_t limit = bench::CorpusByteLimit();
    const std::vector<std::filesystem::path> logs = bench::CorpusLogFiles(folder);
    for (const auto& path : logs) {
      if (c.Bytes >= limit) break;
      TLogLoader loader(path.string());
      loader.Execute();
      if (!loader.Buffer) continue;
      c.Paths.push_back(path.string());
      c.Texts.emplace_back(loader.Buffer.get(), loader.BufferSize);
      c.Bytes += loader.BufferSize;
    }
    if (c.Paths.empty()) {
      std::fprintf(stderr, "load_bench: no .LOG file in %s\n", folder);
      std::exit(2);
    }
    std::fprintf(stderr, "load_bench: %zu files, %zu MB\n", c.Paths.size(), c.Bytes >> 20);
    return c;
  }();
  return corpus;
}

std::unique_ptr<TLogData> Unparsed(const std::string& text) {
  auto data = std::make_unique<TLogData>();
  ByteBlock block(static_cast<char*>(std::malloc(text.size())));
  std::memcpy(block.get(), text.data(), text.size());
  data->SetBuffer(std::move(block), text.size());
  return data;
}

// Where two parses of the same text differ, or an empty string when they agree on every record
// field (pointers compared as offsets) and on every byte of the rewritten buffer.
std::string ParseDifference(const TLogData& fast, const TLogData& plain) {
  if (fast.Count() != plain.Count())
    return "message count " + std::to_string(fast.Count()) + " vs " + std::to_string(plain.Count());
  auto offset = [](const TLogData& f, const char* p) { return p - f.Buffer(); };
  for (int i = 0; i < fast.Count(); ++i) {
    const TLogMessage& a = fast.Items(i);
    const TLogMessage& b = plain.Items(i);
    if (offset(fast, a.HeadStart) != offset(plain, b.HeadStart) ||
        offset(fast, a.Line2Start) != offset(plain, b.Line2Start) ||
        offset(fast, a.BodyStart) != offset(plain, b.BodyStart) ||
        offset(fast, a.TextEnd) != offset(plain, b.TextEnd) || a.Room != b.Room ||
        a.Number != b.Number || a.CommentTo != b.CommentTo)
      return "message " + std::to_string(i) + " (number " + std::to_string(b.Number) + ")";
  }
  if (fast.BufferSize() != plain.BufferSize() ||
      std::memcmp(fast.Buffer(), plain.Buffer(), fast.BufferSize()) != 0)
    return "the rewritten buffer";
  return {};
}

// Parse against ParsePlain on every file of the corpus; exits on the first difference.
void CheckParseMatchesPlain() {
  const Corpus& corpus = TheCorpus();
  for (std::size_t i = 0; i < corpus.Texts.size(); ++i) {
    auto fast = Unparsed(corpus.Texts[i]);
    auto plain = Unparsed(corpus.Texts[i]);
    fast->Parse();
    plain->ParsePlain();
    const std::string diff = ParseDifference(*fast, *plain);
    if (!diff.empty()) {
      std::fprintf(stderr, "load_bench: Parse and ParsePlain differ in %s: %s\n",
                   corpus.Paths[i].c_str(), diff.c_str());
      std::exit(1);
    }
  }
}

// All files loaded, sorted and with overlaps counted, as after the load loop.
LogFiles& LoadedFiles() {
  static LogFiles files = [] {
    LogFiles f;
    for (const std::string& text : TheCorpus().Texts) {
      auto data = Unparsed(text);
      if (data->Parse() > 0) {
        data->Room = 0;
        for (const TLogMessage& m : data->Messages())
          if (m.Room > 0) {
            data->Room = m.Room;
            break;
          }
        data->FirstNumber = data->Items(0).Number;
        f.Append(std::move(data));
      }
    }
    f.SortLogFiles();
    return f;
  }();
  return files;
}

void BM_ReadFiles(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  for (auto _ : state) {
    for (const std::string& path : corpus.Paths) {
      TLogLoader loader(path);
      loader.Execute();
      benchmark::DoNotOptimize(loader.Buffer.get());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.Bytes));
}
BENCHMARK(BM_ReadFiles)->Unit(benchmark::kMillisecond);

// The text is copied back before each round (outside the timing): Parse rewrites line ends.
template <bool Plain>
void BM_Parse(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  std::vector<std::unique_ptr<TLogData>> files;
  for (const std::string& text : corpus.Texts)
    files.push_back(Unparsed(text));
  long long messages = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (std::size_t i = 0; i < files.size(); ++i)
      std::memcpy(const_cast<char*>(files[i]->Buffer()), corpus.Texts[i].data(),
                  corpus.Texts[i].size());
    state.ResumeTiming();
    messages = 0;
    for (auto& f : files)
      messages += Plain ? f->ParsePlain() : f->Parse();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.Bytes));
  state.counters["messages"] = static_cast<double>(messages);
}
BENCHMARK(BM_Parse<false>)->Name("Parse")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse<true>)->Name("ParsePlain")->Unit(benchmark::kMillisecond);

// What the load loop does per file: read, parse, find the room, on the loader thread.
void BM_LoadFromFile(benchmark::State& state) {
  const Corpus& corpus = TheCorpus();
  long long messages = 0;
  for (auto _ : state) {
    messages = 0;
    for (const std::string& path : corpus.Paths) {
      TLogData data;
      data.LoadFromFile(path);
      messages += data.Count();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.Bytes));
  state.counters["messages"] = static_cast<double>(messages);
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

// The files arrive in a seeded shuffled order each round (outside the timing).
void BM_SortLogFiles(benchmark::State& state) {
  LogFiles& sorted = LoadedFiles();
  std::vector<TLogData*> order;
  for (const auto& f : sorted)
    order.push_back(f.get());
  LogFiles files;
  for (auto _ : state) {
    state.PauseTiming();
    std::uint64_t seed = 12345;
    for (std::size_t i = order.size(); i > 1; --i) {
      seed = seed * 6364136223846793005ull + 1442695040888963407ull;
      std::swap(order[i - 1], order[(seed >> 33) % i]);
    }
    // The list owns its files; these are borrowed and released again below.
    for (TLogData* f : order)
      files.Append(std::unique_ptr<TLogData>(f));
    state.ResumeTiming();
    files.SortLogFiles();
    state.PauseTiming();
    for (const auto& f : files)
      const_cast<std::unique_ptr<TLogData>&>(f).release();
    files.Clear();
    state.ResumeTiming();
  }
  state.counters["files"] = static_cast<double>(order.size());
  sorted.SortLogFiles();  // the shared list's overlaps, as before
}
BENCHMARK(BM_SortLogFiles)->Unit(benchmark::kMillisecond);

void BM_BuildMessageTree(benchmark::State& state) {
  LogFiles& files = LoadedFiles();
  MessageTree tree;
  NullProgress progress;
  for (auto _ : state)
    BuildMessageTree(files, tree, progress);
  const double messages = static_cast<double>(files.TotalMessages());
  state.counters["messages"] = messages;
  state.counters["tree_bytes_per_msg"] = static_cast<double>(tree.MemoryBytes()) / messages;
  double records = 0;
  for (const auto& f : files)
    records += static_cast<double>(f->Messages().capacity() * sizeof(TLogMessage));
  state.counters["record_bytes_per_msg"] = records / messages;
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * files.TotalMessages()));
}
BENCHMARK(BM_BuildMessageTree)->Unit(benchmark::kMillisecond);

// Pages of every 16th message, without and with links, as the tree asks for them.
void BM_WriteMessagePage(benchmark::State& state) {
  LogFiles& files = LoadedFiles();
  std::vector<const TLogMessage*> messages;
  for (const auto& f : files)
    for (int i = 0; i < f->Count(); i += 16)
      messages.push_back(&f->Items(i));
  const PageStyle style;
  const DefaultColorResolver resolver{};
  PageStream page;
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const TLogMessage* m : messages) {
      page.clear();
      WriteMessagePage(page, *m, nullptr, style, resolver);
      bytes += m->TextSize();
    }
    benchmark::DoNotOptimize(page.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * messages.size()));
}
BENCHMARK(BM_WriteMessagePage)->Unit(benchmark::kMillisecond);

// The archive ExtractLzh reads and its largest member; Path is empty when there is none.
struct LzhSample {
  std::string Path;
  TUnlha32::Member Member;
  std::string Problem;  // why there is no sample
};

const LzhSample& TheLzhSample() {
  static const LzhSample sample = [] {
    LzhSample s;
    const char* where = std::getenv("YUZULOG_BENCH_LZH");
    if (where == nullptr) {
      s.Problem = "set YUZULOG_BENCH_LZH to a .lzh file or a folder of them";
      return s;
    }
    std::string path = where;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
      std::vector<std::string> archives;
      for (const auto& entry : std::filesystem::directory_iterator(path, ec))
        if (entry.path().extension() == ".lzh") archives.push_back(entry.path().string());
      std::sort(archives.begin(), archives.end());
      path = archives.empty() ? "" : archives.front();
    }
    TUnlha32 unlha;
    TUnlha32::Member m;
    if (path.empty() || !unlha.OpenArchive(path) || !unlha.FindFirst(m)) {
      s.Problem = std::string("no archive in ") + where;
      return s;
    }
    s.Member = m;
    while (unlha.FindNext(m))
      if (m.Size > s.Member.Size) s.Member = m;
    // The two readers must agree before either is timed.
    std::string ours(s.Member.Size, '\0'), theirs(s.Member.Size, '\0');
    const auto a =
        TUnlha32::ExtractMem(path, s.Member.Index, s.Member.Size, ours.data(), ours.size());
    const auto b = TUnlha32::ExtractMem(path, s.Member.Index, s.Member.Size, theirs.data(),
                                        theirs.size(), TUnlha32::Reader::LibarchiveOnly);
    if (a != TUnlha32::Status::Ok || b != TUnlha32::Status::Ok || ours != theirs) {
      std::fprintf(stderr, "load_bench: our LHA reader and libarchive differ on %s\n",
                   path.c_str());
      std::exit(1);
    }
    s.Path = path;
    return s;
  }();
  return sample;
}

// The member into a buffer of its size, as the loader extracts it.
void BM_ExtractLzh(benchmark::State& state, TUnlha32::Reader reader) {
  const LzhSample& sample = TheLzhSample();
  if (sample.Path.empty()) {
    state.SkipWithError(sample.Problem.c_str());
    return;
  }
  std::vector<char> buffer(sample.Member.Size + 1);
  for (auto _ : state) {
    if (TUnlha32::ExtractMem(sample.Path, sample.Member.Index, sample.Member.Size, buffer.data(),
                             sample.Member.Size, reader) != TUnlha32::Status::Ok) {
      state.SkipWithError("extraction failed");
      return;
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.Member.Size));
}
BENCHMARK_CAPTURE(BM_ExtractLzh, ours, TUnlha32::Reader::Auto)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExtractLzh, libarchive, TUnlha32::Reader::LibarchiveOnly)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace yuzulog

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  yuzulog::CheckParseMatchesPlain();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
