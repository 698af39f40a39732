// yuzulog-cli thread: the page of the whole thread that holds one message, as the view shows it
// when it shows threads on one page, byte for byte. With search options every message of the
// thread carries its keyword hits in the key font.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/pageoptions.h"
#include "cli/searchoptions.h"
#include "htmlview/threadpage.h"
#include "mainwindow/messagecopies.h"
#include "mainwindow/threadorder.h"
#include "search/search.h"

namespace yuzulog::cli {
namespace {

int RunThread(CliContext& c) {
  if (!c.Args.Has("room") || !c.Args.Has("number"))
    throw UsageError("thread needs --room R and --number N");
  const MessageAddress target{c.Args.Int32("room", 0), c.Args.Int32("number", 0)};
  // Every option is checked before the files are loaded.
  const PageStyle style = StyleFromOptions(c);
  const bool withHits = HasSearchOption(c.Args);
  SearchState search;
  if (withHits) {
    const SearchFields fields = FieldsFromOptions(c);
    BuildConditions(fields, search.FConditions, search.ScanMode);
  }

  c.LoadFiles(true);
  const TLogMessage* m = FindGotoTarget(c.Files, target);
  if (!m) {
    std::fprintf(stderr, "%s\n", GotoNotLoadedText(target).c_str());
    return kExitNotFound;
  }
  const MessageCopies copies(c.Files, c.Tree);
  const ThreadPageContent content = ThreadPageFor(c.Tree, copies, c.Tree.NodeOf(*m));
  MessageHits hits;
  if (withHits)
    hits = [&search](const TLogMessage& message, std::vector<std::int64_t>& pairs) {
      search.GetHitRanges(pairs, message);
    };
  PageStream page;
  WriteThreadPage(page, content.Entries, content.OmittedBefore, content.OmittedAfter, hits, style,
                  DefaultColorResolver());
  c.Write(page);
  return kExitOk;
}

const bool registered = RegisterSubcommand(
    {"thread",
     "the HTML page of the whole thread that holds the message at --room R --number N, byte for "
     "byte (each message under its anchor R-N)",
     WithPageOptions({{"room", 0, true, "room number"}, {"number", 0, true, "message number"}}),
     RunThread});

}  // namespace
}  // namespace yuzulog::cli
