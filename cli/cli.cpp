#include "cli/cli.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>

#include "platform/cp932.h"
#include "platform/fileio.h"
#include "platform/paths.h"

namespace yuzulog::cli {
namespace {

std::vector<Subcommand>& Registry() {
  static std::vector<Subcommand> subcommands;
  return subcommands;
}

// The options every subcommand accepts.
const std::vector<OptionSpec>& CommonOptions() {
  static const std::vector<OptionSpec> options = {
      {"encoding", 0, true, "utf8 (default) or sjis: the encoding of text on stdout"},
      {"stats", 0, false, "print files=, messages=, load_ms= (and search figures) on stderr"},
      {"help", 'h', false, "show this help"},
  };
  return options;
}

const OptionSpec* FindOption(const Subcommand& sub, std::string_view name, bool shortName) {
  auto match = [&](const OptionSpec& o) {
    return shortName ? (o.Short != 0 && name.size() == 1 && o.Short == name[0]) : o.Long == name;
  };
  for (const OptionSpec& o : sub.Options)
    if (match(o)) return &o;
  for (const OptionSpec& o : CommonOptions())
    if (match(o)) return &o;
  return nullptr;
}

ParsedArgs ParseArguments(const Subcommand& sub, const std::vector<std::string>& args) {
  ParsedArgs parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      parsed.Files.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    const bool isLong = a[1] == '-';
    std::string name;
    std::string value;
    bool hasInlineValue = false;
    if (isLong) {
      const std::size_t eq = a.find('=');
      name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
      if (eq != std::string::npos) {
        value = a.substr(eq + 1);
        hasInlineValue = true;
      }
    } else {
      name = a.substr(1, 1);
      if (a.size() > 2) {
        value = a.substr(2);
        hasInlineValue = true;
      }
    }
    const OptionSpec* spec = FindOption(sub, name, !isLong);
    if (!spec) throw UsageError("unknown option: " + a);
    if (spec->TakesValue) {
      if (!hasInlineValue) {
        if (i + 1 >= args.size()) throw UsageError("option needs a value: " + a);
        value = args[++i];
      }
    } else if (hasInlineValue) {
      throw UsageError("option takes no value: " + a);
    }
    parsed.Options.emplace_back(std::string(spec->Long), value);
  }
  return parsed;
}

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: yuzulog-cli SUBCOMMAND [OPTIONS] FILE...\n\n"
               "Reads log files (.LOG) and LHA archives (.lzh) as the desktop program does.\n\n"
               "subcommands:\n");
  for (const Subcommand& s : Registry()) {
    std::fprintf(out, "  %-9s %.*s\n", std::string(s.Name).c_str(),
                 static_cast<int>(s.Synopsis.size()), s.Synopsis.data());
    for (const OptionSpec& o : s.Options) {
      std::string flag = "--" + std::string(o.Long) + (o.TakesValue ? "=VALUE" : "");
      if (o.Short) flag = "-" + std::string(1, o.Short) + ", " + flag;
      std::fprintf(out, "      %-26s %.*s\n", flag.c_str(), static_cast<int>(o.Help.size()),
                   o.Help.data());
    }
  }
  std::fprintf(out, "\ncommon options:\n");
  for (const OptionSpec& o : CommonOptions()) {
    std::string flag = "--" + std::string(o.Long) + (o.TakesValue ? "=VALUE" : "");
    std::fprintf(out, "      %-26s %.*s\n", flag.c_str(), static_cast<int>(o.Help.size()),
                 o.Help.data());
  }
  std::fprintf(out,
               "\nexit status: 0 success, 1 nothing found, 2 usage error or a FILE failed to "
               "load\n");
}

}  // namespace

bool ParsedArgs::Has(std::string_view name) const {
  return std::any_of(Options.begin(), Options.end(),
                     [&](const auto& o) { return o.first == name; });
}

const std::string* ParsedArgs::Last(std::string_view name) const {
  for (auto it = Options.rbegin(); it != Options.rend(); ++it)
    if (it->first == name) return &it->second;
  return nullptr;
}

std::vector<std::string> ParsedArgs::All(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& o : Options)
    if (o.first == name) values.push_back(o.second);
  return values;
}

long long ParsedArgs::Integer(std::string_view name, long long defaultValue) const {
  const std::string* v = Last(name);
  if (!v) return defaultValue;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(v->c_str(), &end, 10);
  if (v->empty() || *end != '\0' || errno == ERANGE)
    throw UsageError("--" + std::string(name) + " needs a whole number: " + *v);
  return value;
}

StderrProgress::StderrProgress() : FEnabled(isatty(STDERR_FILENO) != 0) {}

StderrProgress::~StderrProgress() {
  if (FEnabled && FShown) std::fprintf(stderr, "\r%60s\r", "");
}

void StderrProgress::SetPercent(int percent) {
  if (!FEnabled) return;
  percent = std::clamp(percent, 0, 100);
  if (percent == FLast) return;
  FLast = percent;
  FShown = true;
  const int filled = percent * 40 / 100;
  std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################",
               40 - filled, "", percent);
  std::fflush(stderr);
}

int ParsedArgs::Int32(std::string_view name, int defaultValue) const {
  const long long value = Integer(name, defaultValue);
  if (value < INT32_MIN || value > INT32_MAX)
    throw UsageError("--" + std::string(name) + " is out of range: " + *Last(name));
  return static_cast<int>(value);
}

namespace {

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// The command-line tool's fixed answers to the load loop: nothing is ever reloaded (each path
// comes once), and a failure is reported on stderr and loading goes on.
class CliLoadCallbacks final : public LoadCallbacks {
 public:
  explicit CliLoadCallbacks(CliContext& context) : FContext(context) {}

  ReloadAnswer AskReload(const std::string&, const std::string&, ReloadAnswer) override {
    return ReloadAnswer::NoToAll;
  }
  bool AskStopAfterFailure(const std::string& path, const LoadResult& failure) override {
    ++FContext.LoadFailures;
    std::fprintf(stderr, "%s\n", LoadFailedLine(path, failure).c_str());
    return false;
  }
  void NoticeCancelled(const std::string&) override {}

 private:
  CliContext& FContext;
};

}  // namespace

void CliContext::LoadFiles(bool buildTree) {
  const auto start = std::chrono::steady_clock::now();
  // Each path once, made absolute and normalised lexically; a repeated path is skipped.
  std::vector<std::string> paths;
  for (const std::string& f : Args.Files) {
    std::string full = FullPath(f);
    if (std::find(paths.begin(), paths.end(), full) == paths.end()) paths.push_back(full);
  }
  StderrProgress progress;
  CliLoadCallbacks callbacks(*this);
  // The tree is built only for the subcommands that show it.
  Space.SetBuildsTree(buildTree);
  if (Space.Load(paths, false, progress, callbacks) != OpStatus::Completed)
    throw std::logic_error("a load without a cancel button was cancelled");
  for (const auto& file : Files)
    if (file->NulBytes > 0)
      std::fprintf(stderr, "%s\n", NulBytesReadText(file->FileName, file->NulBytes).c_str());
  if (buildTree) ExtraStats.emplace_back("tree_ms", std::to_string(Space.TreeBuildMs()));
  LoadMs = MillisecondsSince(start);
}

void CliContext::AppendLogField(std::string& line, std::string_view cp932) const {
  // Control bytes are single bytes in code page 932 and never a second byte, so turning them
  // into spaces before the conversion does not change how the rest decodes.
  const bool hasControl = std::any_of(cp932.begin(), cp932.end(),
                                      [](char c) { return static_cast<unsigned char>(c) < 0x20; });
  if (!hasControl) {
    AppendLogText(line, cp932);
    return;
  }
  std::string cleaned(cp932);
  for (char& c : cleaned)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  AppendLogText(line, cleaned);
}

void CliContext::AppendLogText(std::string& out, std::string_view cp932) const {
  if (Sjis)
    out.append(cp932);
  else
    AppendCp932AsUtf8(cp932, out);
}

void CliContext::AppendOwnText(std::string& line, std::string_view utf8) const {
  if (Sjis)
    line.append(Utf8ToCp932(utf8).bytes);
  else
    line.append(utf8);
}

std::string CliContext::OptionText(const std::string& value, std::string_view optionName) const {
  if (Sjis) return value;
  Cp932Encoding e = Utf8ToCp932(value);
  if (e.invalidUtf8)
    throw UsageError("--" + std::string(optionName) + ": the text is not valid UTF-8");
  if (!e.unmappable.empty())
    throw UsageError("--" + std::string(optionName) +
                     ": no code page 932 form for: " + e.unmappable);
  return e.bytes;
}

OutputError::OutputError(int error)
    : std::runtime_error(std::string("cannot write the output: ") + std::strerror(error)) {}

void CliContext::Write(std::string_view bytes) const {
  // Straight to the descriptor: the subcommands gather their output in megabyte pieces already,
  // and an error shows here rather than in a flush at exit.
  if (const int error = WriteFully(STDOUT_FILENO, bytes.data(), bytes.size()))
    throw OutputError(error);
}

void CliContext::WriteWhenFull(std::string& out) const {
  if (out.size() < (std::size_t{1} << 20)) return;
  Write(out);
  out.clear();
}

bool RegisterSubcommand(Subcommand subcommand) {
  Registry().push_back(std::move(subcommand));
  std::sort(Registry().begin(), Registry().end(),
            [](const Subcommand& a, const Subcommand& b) { return a.Name < b.Name; });
  return true;
}

namespace {

// Help goes through stdio; a stdout that refuses it is an error as well.
int FinishHelp() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return kExitOk;
  std::fprintf(stderr, "yuzulog-cli: cannot write the output: %s\n", std::strerror(errno));
  return kExitUsage;
}

int Run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp(args.empty() ? stderr : stdout);
    return args.empty() ? kExitUsage : FinishHelp();
  }
  const Subcommand* sub = nullptr;
  for (const Subcommand& s : Registry())
    if (s.Name == args[0]) sub = &s;
  if (!sub) {
    std::fprintf(stderr, "yuzulog-cli: unknown subcommand: %s (see yuzulog-cli --help)\n",
                 args[0].c_str());
    return kExitUsage;
  }
  args.erase(args.begin());
  CliContext context;
  int status;
  try {
    context.Args = ParseArguments(*sub, args);
    if (context.Args.Has("help")) {
      PrintHelp(stdout);
      return FinishHelp();
    }
    if (const std::string* enc = context.Args.Last("encoding")) {
      if (*enc == "sjis")
        context.Sjis = true;
      else if (*enc != "utf8")
        throw UsageError("--encoding must be utf8 or sjis: " + *enc);
    }
    context.Stats = context.Args.Has("stats");
    // Before anything is shown: without the converter every character would come out as U+FFFD.
    std::string reason;
    if (!PrepareCp932(&reason)) {
      std::fprintf(stderr, "yuzulog-cli: %s\n", reason.c_str());
      return kExitUsage;
    }
    status = sub->Run(context);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "yuzulog-cli %s: %s\n", std::string(sub->Name).c_str(), e.what());
    return kExitUsage;
  }
  if (context.LoadFailures > 0) status = std::max(status, kExitUsage);
  if (context.Stats) {
    std::string line = "files=" + std::to_string(context.Files.Count()) +
                       " messages=" + std::to_string(context.Files.TotalMessages()) +
                       " load_ms=" + std::to_string(context.LoadMs);
    for (const auto& [key, value] : context.ExtraStats)
      line += " " + key + "=" + value;
    std::fprintf(stderr, "%s\n", line.c_str());
  }
  return status;
}

}  // namespace

int Main(int argc, char** argv) {
  // What a subcommand cannot go on from ends the run with a line that says why, never an abort.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("yuzulog-cli: メモリが足りません\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "yuzulog-cli: %s\n", e.what());
  }
  return kExitUsage;
}

}  // namespace yuzulog::cli
