// yuzulog-cli search: the search window's search over every loaded message, its result list
// (sorted by column clicks), and the list's save command.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "search/resultlist.h"
#include "search/search.h"

namespace yuzulog::cli {
namespace {

struct SortKeyName {
  std::string_view Name;
  int Tag;
};
constexpr SortKeyName kSortKeys[] = {{"room", 4}, {"number", 0}, {"title", 1}, {"handle", 2},
                                     {"id", 3},   {"date", 6},   {"size", 5}};

// The column clicks of --sort, in order (every --sort option, each a comma-separated list).
std::vector<int> SortClicks(const ParsedArgs& args) {
  std::vector<int> tags;
  for (const std::string& value : args.All("sort")) {
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = value.find(',', start);
      const std::string key =
          value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      int tag = -1;
      for (const SortKeyName& k : kSortKeys)
        if (k.Name == key) tag = k.Tag;
      if (tag < 0)
        throw UsageError("--sort: unknown key \"" + key +
                         "\" (room, number, title, handle, id, date, size)");
      tags.push_back(tag);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  return tags;
}

// The search window's fields as the options set them.
SearchFields FieldsFromOptions(const CliContext& c) {
  SearchFields f;
  const std::vector<std::string> keywords = c.Args.All("keyword");
  if (keywords.size() > 4) throw UsageError("at most four keywords (-k) can be given");
  for (std::size_t i = 0; i < keywords.size(); ++i) {
    f.Edit[i] = c.OptionText(keywords[i], "keyword");
    f.CheckBox[i] = true;
  }
  if (const std::string* id = c.Args.Last("id")) {
    f.EditID = c.OptionText(*id, "id");
    f.CheckBoxID = true;
  }
  if (const std::string* name = c.Args.Last("name")) {
    f.EditName = c.OptionText(*name, "name");
    f.CheckBoxName = true;
  }
  f.IgnoreCase = !c.Args.Has("case-sensitive");
  f.Enhanced = c.Args.Has("compound");
  if (const std::string* ignore = c.Args.Last("ignore")) {
    if (*ignore == "none")
      f.IgnoreCode = 0;
    else if (*ignore == "newlines")
      f.IgnoreCode = 1;
    else if (*ignore == "blanks")
      f.IgnoreCode = 2;
    else
      throw UsageError("--ignore must be none, newlines or blanks: " + *ignore);
  }
  f.IncludeHeader = c.Args.Has("include-header");
  f.CheckBoxOrgMes = c.Args.Has("original-only");
  if (!HasUsableField(f))
    throw UsageError("give at least one non-empty keyword (-k), --id or --name");
  return f;
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
    std::vector<int> ranges;
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
  const std::vector<int> clicks = SortClicks(c.Args);
  const std::string* savePath = c.Args.Last("save");
  const bool append = c.Args.Has("append");
  if (append && savePath == nullptr) throw UsageError("--append needs --save=FILE");
  if (savePath != nullptr && savePath->empty()) throw UsageError("--save needs a file name");
  const bool countOnly = c.Args.Has("count");
  const bool withHits = c.Args.Has("hits");

  c.LoadFiles(false);

  SearchState state;
  SearchJob job;
  NullProgress progress;
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
  for (int tag : clicks)
    SortResults(state.Results, sort, tag);

  if (!countOnly) {
    std::string out;
    out.reserve(1 << 20);
    for (const TLogMessage* m : state.Results) {
      AppendRow(c, out, *m, withHits ? &state : nullptr);
      if (out.size() > (1 << 20) - 8192) {
        c.Write(out);
        out.clear();
      }
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
     {
         {"keyword", 'k', true, "a keyword field (up to four, in order), checked"},
         {"id", 0, true, "the writer's ID (ASCII case ignored)"},
         {"name", 0, true, "the writer's handle name (exact)"},
         {"case-sensitive", 0, false, "compare half-width letters exactly (default: fold case)"},
         {"compound", 0, false, "keywords hold alternatives separated by commas or blanks"},
         {"ignore", 0, true, "none (default), newlines or blanks: what the scan skips"},
         {"include-header", 0, false, "search the two header lines too"},
         {"original-only", 0, false, "only messages that comment on no other message"},
         {"sort", 0, true, "KEY[,KEY...]: column clicks (room number title handle id date size)"},
         {"hits", 0, false, "add the hit ranges offset:length,... as an 8th column"},
         {"save", 0, true, "write the result messages to FILE as the save command does"},
         {"append", 0, false, "with --save: append instead of replacing"},
         {"count", 0, false, "print only the number of hits"},
     },
     RunSearch});

}  // namespace
}  // namespace yuzulog::cli
