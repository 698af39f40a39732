#include "tests/support/clirun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/tempdir.h"

extern char** environ;

namespace yuzulog::testing {

CliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& input) {
  return RunProgram(program, args, RunOptions{input, {}, {}});
}

CliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const RunOptions& options) {
  CliResult result;
  TempDir dir;
  const std::string inPath = dir.Write("stdin", options.Input);
  const std::string outPath = options.OutputPath.empty() ? dir.File("stdout") : options.OutputPath;
  const std::string errPath = dir.File("stderr");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> env;
  for (char** e = environ; *e != nullptr; ++e)
    env.push_back(*e);
  for (const std::string& e : options.Environment)
    env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return result;
  int status = 0;
  waitpid(pid, &status, 0);
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (options.OutputPath.empty()) result.Out = ReadFileBytes(outPath);
  result.Err = ReadFileBytes(errPath);
  return result;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t nl = text.find('\n', start);
    lines.push_back(text.substr(start, nl - start));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

std::vector<std::string> Columns(const std::string& line) {
  std::vector<std::string> cols;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    cols.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return cols;
    start = tab + 1;
  }
}

}  // namespace yuzulog::testing
