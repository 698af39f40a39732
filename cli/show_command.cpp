// yuzulog-cli show: the whole text of one message, as the copy command puts it on the clipboard.
#include <cstdio>
#include <string>

#include "cli/cli.h"

namespace yuzulog::cli {
namespace {

int RunShow(CliContext& c) {
  if (!c.Args.Has("room") || !c.Args.Has("number"))
    throw UsageError("show needs --room R and --number N");
  const MessageAddress target{c.Args.Int32("room", 0), c.Args.Int32("number", 0)};
  c.LoadFiles(true);
  const TLogMessage* m = FindGotoTarget(c.Files, target);
  if (!m) {
    std::fprintf(stderr, "%s\n", GotoNotLoadedText(target).c_str());
    return kExitNotFound;
  }
  std::string out;
  c.AppendLogText(out, m->Text());
  c.Write(out);
  return kExitOk;
}

const bool registered =
    RegisterSubcommand({"show",
                        "the whole text of the message that going to --room R --number N finds",
                        {{"room", 0, true, "room number"}, {"number", 0, true, "message number"}},
                        RunShow});

}  // namespace
}  // namespace yuzulog::cli
