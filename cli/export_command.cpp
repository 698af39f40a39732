// yuzulog-cli export: the loaded logs as JSON Lines, UTF-8 text, a static web archive or an
// SQLite database, built under a temporary name and moved into place when complete.
#include <csignal>
#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "export/export.h"

namespace yuzulog::cli {
namespace {

volatile std::sig_atomic_t gSignal = 0;

extern "C" void NoteSignal(int signal) {
  gSignal = signal;
}

// The stderr bar, cancelled by SIGINT or SIGTERM: the export then removes its temporary before
// the program ends as the signal would have ended it.
class SignalProgress final : public Progress {
 public:
  void SetText(std::string_view) override {}
  void SetPercent(int percent) override { FBar.SetPercent(percent); }
  void ProcessEvents() override {}
  bool Cancelled() const override { return gSignal != 0; }

 private:
  StderrProgress FBar;
};

class SignalsNoted {
 public:
  SignalsNoted() {
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &FOldInt);
    sigaction(SIGTERM, &action, &FOldTerm);
  }
  ~SignalsNoted() {
    sigaction(SIGINT, &FOldInt, nullptr);
    sigaction(SIGTERM, &FOldTerm, nullptr);
  }

 private:
  struct sigaction FOldInt {};
  struct sigaction FOldTerm {};
};

int RunExport(CliContext& c) {
  const std::string* to = c.Args.Last("to");
  const std::string* out = c.Args.Last("out");
  if (!to || !out || out->empty()) throw UsageError("export needs --to=FORMAT and --out=PATH");
  const std::optional<ExportFormat> format = ExportFormatNamed(*to);
  if (!format) throw UsageError("--to must be jsonl, text, html or sqlite: " + *to);
  if (c.Args.Has("fts") && *format != ExportFormat::Sqlite)
    throw UsageError("--fts goes with --to=sqlite only");
  if (c.Args.Files.empty()) throw UsageError("export needs at least one FILE");

  ExportOptions options;
  options.Format = *format;
  options.OutPath = *out;
  options.Force = c.Args.Has("force");
  options.Fts = c.Args.Has("fts");
  options.Created = ExportCreationTime();

  c.LoadFiles(true);
  if (c.Files.Empty()) {
    std::fprintf(stderr, "yuzulog-cli export: no file loaded; nothing was written\n");
    return kExitUsage;
  }
  ExportResult result;
  int signal = 0;
  {
    const SignalsNoted noted;
    SignalProgress progress;
    result = ExportLogs(c.Files, c.Tree, nullptr, options, progress);
    signal = gSignal;
  }
  c.ExtraStats.emplace_back("exported", std::to_string(result.Messages));
  if (signal != 0) {
    // The temporary is gone; end as the signal ends a program.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
  if (!result.Error.empty()) {
    std::fprintf(stderr, "yuzulog-cli export: %s\n", result.Error.c_str());
    return kExitUsage;
  }
  return kExitOk;
}

const bool registered = RegisterSubcommand(
    {"export",
     "the loaded logs in today's formats, with their provenance, written whole or not at all",
     {{"to", 0, true, "jsonl, text, html or sqlite"},
      {"out", 'o', true, "the file (jsonl, sqlite) or folder (text, html) to write"},
      {"force", 0, false, "replace an existing --out"},
      {"fts", 0, false, "sqlite: also a full-text index (FTS5, trigram) of the bodies"}},
     RunExport});

}  // namespace
}  // namespace yuzulog::cli
