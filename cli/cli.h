// The frame of yuzulog-cli shared by its subcommands: option parsing, loading the FILEs exactly as
// the Open command does, output in UTF-8 or code page 932, exit statuses and --stats.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"
#include "workspace/workspace.h"

namespace yuzulog::cli {

constexpr int kExitOk = 0;
constexpr int kExitNotFound = 1;
constexpr int kExitUsage = 2;

// Thrown by a subcommand for a usage error; main prints the text and exits with 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Thrown when stdout refuses what is written to it (a full disk, a closed terminal); main says
// why and exits with 2.
struct OutputError : std::runtime_error {
  explicit OutputError(int error);
};

// An option a subcommand accepts: --Long (and -Short when Short is not 0).
struct OptionSpec {
  std::string_view Long;
  char Short = 0;
  bool TakesValue = false;
  std::string_view Help;
};

// The command line after parsing: options in the order given (by long name) and the FILEs.
struct ParsedArgs {
  std::vector<std::pair<std::string, std::string>> Options;
  std::vector<std::string> Files;
  bool Has(std::string_view name) const;
  // The value of the last occurrence, or nullptr.
  const std::string* Last(std::string_view name) const;
  // Every value of the option, in order.
  std::vector<std::string> All(std::string_view name) const;
  // An integer option (decimal, optionally negative); UsageError when it is not one.
  long long Integer(std::string_view name, long long defaultValue) const;
  // The same, limited to the 32-bit range of room and message numbers.
  int Int32(std::string_view name, int defaultValue) const;
};

// A progress bar on stderr, shown only when stderr is a terminal; never cancelled.
class StderrProgress final : public Progress {
 public:
  StderrProgress();
  ~StderrProgress() override;
  void SetText(std::string_view) override {}
  void SetPercent(int percent) override;
  void ProcessEvents() override {}
  bool Cancelled() const override { return false; }

 private:
  bool FEnabled;
  bool FShown = false;
  int FLast = -1;
};

class CliContext {
 public:
  ParsedArgs Args;
  bool Sjis = false;   // --encoding=sjis
  bool Stats = false;  // --stats
  // What is loaded: the desktop program's workspace, through which the files are loaded.
  Workspace Space;
  const LogFiles& Files = Space.Files();
  const MessageTree& Tree = Space.Tree();
  int LoadFailures = 0;
  long long LoadMs = 0;
  // Extra key=value pairs of the --stats line after files=, messages= and load_ms=.
  std::vector<std::pair<std::string, std::string>> ExtraStats;

  // Loads the FILEs through the Open command's load loop (each path once, made absolute and
  // normalised), which sorts them and computes the overlaps; with buildTree the loop also builds
  // the message tree. Failures go to stderr.
  void LoadFiles(bool buildTree);

  // Appends a text field taken from a log (code page 932 bytes): every byte below 0x20 becomes a
  // space, then the text is converted to UTF-8 unless the output is code page 932.
  void AppendLogField(std::string& line, std::string_view cp932) const;
  // Appends log text with no field rule (whole messages): converted in UTF-8 mode only.
  void AppendLogText(std::string& out, std::string_view cp932) const;
  // Appends one of the program's own texts (UTF-8 in the source) in the output encoding.
  void AppendOwnText(std::string& line, std::string_view utf8) const;
  // An option argument that carries text, as code page 932 bytes: converted from UTF-8 in utf8
  // mode (a character without a code page 932 form is a usage error), taken as bytes in sjis mode.
  std::string OptionText(const std::string& value, std::string_view optionName) const;

  // Writes bytes to stdout as they are; OutputError when they cannot be written.
  void Write(std::string_view bytes) const;
  // Writes out and empties output gathered in out once it holds a megabyte: one write call per
  // megabyte instead of one per line.
  void WriteWhenFull(std::string& out) const;
};

using RunFunction = int (*)(CliContext&);

struct Subcommand {
  std::string_view Name;
  std::string_view Synopsis;  // one line for --help
  std::vector<OptionSpec> Options;
  RunFunction Run;
};

// Subcommands register themselves from their own source file (compiled into the executable):
//   static const bool registered = RegisterSubcommand({...});
bool RegisterSubcommand(Subcommand subcommand);

// The entry of yuzulog-cli; returns the exit status.
int Main(int argc, char** argv);

}  // namespace yuzulog::cli
