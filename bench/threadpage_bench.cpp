// The page of a whole thread (tree order, anchors, every message's text, with and without search
// hits) and the index of loaded copies it names anchors with, over logs generated in memory: a
// thread of 500 and of 2,000 messages must be drawn in 150 ms and 1 s (medians), and a longer one
// costs no more than its 2,000 shown messages.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>

#include "htmlview/threadpage.h"
#include "logdata/logfiles.h"
#include "mainwindow/messagecopies.h"
#include "mainwindow/messagetree.h"
#include "mainwindow/threadorder.h"
#include "search/search.h"
#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

// A body of about a kilobyte as the forum's messages run: quoted lines, a reference, an address,
// a web link and the keyword the hit benchmark looks for.
const std::string& Body() {
  static const std::string body = [] {
    std::string b;
    for (int line = 0; line < 8; ++line)
      b += "> 柚子の接ぎ木は春先がよいと聞きましたが、台木はカラタチでよいのでしょうか。\n";
    b += "nifty:YUZU/MES/05/00002 でも話題になっていました。詳しくは "
         "http://www.example.jp/yuzu/index.html をご覧ください。\n";
    b += "連絡は yuzu.taro@example.or.jp までどうぞ。\n";
    return b;
  }();
  return body;
}

using testing::MessageSpec;

// Loaded files: others messages in threads of ten, then a thread of threadSize messages, each
// replying to a random earlier one of it. Rooms from 5 on hold roomSize messages each (numbers
// have five digits). Each file after the first of a room repeats the last overlap messages of
// the one before, as the forum's monthly logs often do.
struct Library {
  LogFiles Files;
  MessageTree Tree;
  std::int32_t Middle = 0;  // the middle message of the thread, in number order

  Library(int threadSize, int others, int perFile, int roomSize, const std::string& body,
          int overlap) {
    std::mt19937 random(21);
    const int total = threadSize + others;
    testing::LogBuilder builder;
    std::vector<MessageSpec> last;  // the file's messages that the next one repeats
    MessageSpec next;
    next.Body = body;
    for (int n = 1; n <= total; ++n) {
      next.Room = 5 + (n - 1) / roomSize;
      next.Number = (n - 1) % roomSize + 1;
      if (n <= others)
        next.CommentTo = n % 10 == 1 ? -1 : next.Number - 1;
      else
        next.CommentTo =
            n == others + 1 ? -1 : next.Number - 1 - static_cast<int>(random() % (n - others - 1));
      builder.Add(next);
      last.push_back(next);
      if (n % perFile == 0 || n == total) {
        Files.Append(testing::ParsedLog(builder.Text()));
        builder = testing::LogBuilder();
        if (last.size() > static_cast<std::size_t>(overlap))
          last.erase(last.begin(), last.end() - overlap);
        if (n % roomSize != 0)
          for (const MessageSpec& repeated : last)
            builder.Add(repeated);
        last.clear();
      }
    }
    Files.SortLogFiles();
    NullProgress progress;
    BuildMessageTree(Files, Tree, progress);
    const int middle = others + threadSize / 2 + 1;
    Middle = Tree.NodeOf(
        *FindGotoTarget(Files, {5 + (middle - 1) / roomSize, (middle - 1) % roomSize + 1}));
  }
};

void DrawThread(benchmark::State& state, bool withHits) {
  const int threadSize = static_cast<int>(state.range(0));
  static std::map<int, std::unique_ptr<Library>> libraries;
  auto& library = libraries[threadSize];
  if (!library) library = std::make_unique<Library>(threadSize, 1000, 3000, 99999, Body(), 0);
  SearchState search;
  SearchFields fields;
  fields.Edit[0] = testing::Sjis("カラタチ");
  fields.CheckBox[0] = true;
  BuildConditions(fields, search.FConditions, search.ScanMode);
  MessageHits hits;
  if (withHits)
    hits = [&search](const TLogMessage& m, std::vector<std::int64_t>& pairs) {
      search.GetHitRanges(pairs, m);
    };
  const PageStyle style;
  const DefaultColorResolver resolver;
  std::size_t bytes = 0;
  for (auto _ : state) {
    // Everything a view does to draw the page once the message is chosen.
    const MessageCopies copies(library->Files, library->Tree);
    const ThreadPageContent content = ThreadPageFor(library->Tree, copies, library->Middle);
    PageStream page;
    WriteThreadPage(page, content.Entries, content.OmittedBefore, content.OmittedAfter, hits, style,
                    resolver);
    bytes = page.size();
    benchmark::DoNotOptimize(page.data());
  }
  state.counters["page_kB"] = static_cast<double>(bytes) / 1024;
}

void BM_ThreadPage(benchmark::State& state) {
  DrawThread(state, false);
}
void BM_ThreadPageWithHits(benchmark::State& state) {
  DrawThread(state, true);
}
BENCHMARK(BM_ThreadPage)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ThreadPageWithHits)
    ->Arg(500)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The copies index over a million messages in 1,000 files of 20 rooms, each file repeating the
// last ten messages of the one before: built once per tree, then asked for a message's copy number.
void BM_MessageCopies(benchmark::State& state) {
  static Library library(1, 999999, 1000, 50000, "本文です。", 10);
  for (auto _ : state) {
    const MessageCopies copies(library.Files, library.Tree);
    benchmark::DoNotOptimize(copies.CopyNumber(library.Middle));
  }
  state.counters["messages"] = static_cast<double>(library.Files.TotalMessages());
}
BENCHMARK(BM_MessageCopies)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace yuzulog

BENCHMARK_MAIN();
