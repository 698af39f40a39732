// yuzulog-cli search: the search window's search over every loaded message, its result list
// (sorted by column clicks), and the list's save command.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/searchoptions.h"
#include "search/resultlist.h"
#include "search/search.h"

namespace yuzulog::cli {
namespace {

struct SortKeyName {
  std::string_view Name;
  SortKey Key;
};
constexpr SortKeyName kSortKeys[] = {{"room", SortKey::Room},    {"number", SortKey::Number},
                                     {"title", SortKey::Title},  {"handle", SortKey::HandleName},
                                     {"id", SortKey::ID},        {"date", SortKey::DateTime},
                                     {"size", SortKey::BodySize}};

// The column clicks of --sort, in order (every --sort option, each a comma-separated list).
std::vector<SortKey> SortClicks(const ParsedArgs& args) {
  std::vector<SortKey> keys;
  for (const std::string& value : args.All("sort")) {
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = value.find(',', start);
      const std::string key =
          value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      const SortKeyName* known = nullptr;
      for (const SortKeyName& k : kSortKeys)
        if (k.Name == key) known = &k;
      if (!known)
        throw UsageError("--sort: unknown key \"" + key +
                         "\" (room, number, title, handle, id, date, size)");
      keys.push_back(known->Key);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  return keys;
}

void AppendRow(const CliContext& c, std::string& out, const TLogMessage& m,
               const SearchState* hitsOf) {
  for (int column = 0; column < kResultColumnCount; ++column) {
    if (column > 0) out += '\t';
    if (column == ColSize)
      out += std::to_string(m.BodySize());
    else
      c.AppendLogField(out, ColumnText(m, column));
  }
  if (hitsOf != nullptr) {
    std::vector<std::int64_t> ranges;
    hitsOf->GetHitRanges(ranges, m);
    out += '\t';
    for (std::size_t i = 0; i + 1 < ranges.size(); i += 2) {
      if (i > 0) out += ',';
      out += std::to_string(ranges[i]);
      out += ':';
      out += std::to_string(ranges[i + 1]);
    }
  }
  out += '\n';
}

int RunSearch(CliContext& c) {
  // Every usage error before the files are read.
  const SearchFields fields = FieldsFromOptions(c);
  const std::vector<SortKey> clicks = SortClicks(c.Args);
  const std::string* savePath = c.Args.Last("save");
  const bool append = c.Args.Has("append");
  if (append && savePath == nullptr) throw UsageError("--append needs --save=FILE");
  if (savePath != nullptr && savePath->empty()) throw UsageError("--save needs a file name");
  const bool countOnly = c.Args.Has("count");
  const bool withHits = c.Args.Has("hits");

  c.LoadFiles(false);

  SearchState state;
  SearchJob job;
  StderrProgress progress;
  state.SearchMessages(progress, job, fields, c.Files, c.Files.TotalMessages());
  c.ExtraStats.emplace_back("search_ms", std::to_string(job.ElapsedMs));
  c.ExtraStats.emplace_back("hits", std::to_string(job.Hits.size()));

  if (countOnly) {
    std::string line;
    c.AppendOwnText(line, HitCountText(job.Hits.size()));
    line += '\n';
    c.Write(line);
  }
  // No hit: nothing is listed and the file to save to stays as it was.
  if (job.Hits.empty()) return kExitNotFound;

  state.FillResultList(progress, job.Hits);
  SortState sort;
  for (const SortKey key : clicks)
    SortResults(state.Results, sort, key);

  if (!countOnly) {
    std::string out;
    for (const TLogMessage* m : state.Results) {
      AppendRow(c, out, *m, withHits ? &state : nullptr);
      c.WriteWhenFull(out);
    }
    c.Write(out);
  }

  if (savePath != nullptr) {
    const std::vector<bool> all(state.Results.size(), true);
    const SaveResult saved = SaveSelected(progress, state.Results, all, *savePath,
                                          append ? SaveMode::Append : SaveMode::Create);
    if (saved.Outcome != SaveOutcome::Written) {
      std::fprintf(stderr, "yuzulog-cli search: %s\n", saved.Message.c_str());
      return kExitUsage;
    }
  }
  return kExitOk;
}

const bool registered = RegisterSubcommand(
    {"search",
     "the search window's search over all messages; one line per result row: RoomText "
     "NumberText RawTitle Handle ID DateText BodySize [hit ranges]",
     WithSearchOptions({
         {"sort", 0, true, "KEY[,KEY...]: column clicks (room number title handle id date size)"},
         {"hits", 0, false, "add the hit ranges offset:length,... as an 8th column"},
         {"save", 0, true, "write the result messages to FILE as the save command does"},
         {"append", 0, false, "with --save: append instead of replacing"},
         {"count", 0, false, "print only the number of hits"},
     }),
     RunSearch});

}  // namespace
}  // namespace yuzulog::cli
