// Runs the built yuzulog-cli as a separate program and captures what it wrote.
#pragma once

#include <string>
#include <vector>

namespace yuzulog::testing {

struct CliResult {
  int Status = -1;  // exit status; -1 when it did not exit normally
  std::string Out;
  std::string Err;
};

// How a program is run besides its arguments.
struct RunOptions {
  std::string Input;                     // bytes on stdin
  std::string OutputPath;                // stdout goes to this file (Out stays empty) when set
  std::vector<std::string> Environment;  // NAME=VALUE entries added to the test's environment
};

// Runs program with args (no shell involved) and optional bytes on stdin.
CliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& input = {});
CliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const RunOptions& options);

// The lines of a program's output (without their LF), and the tab-separated columns of a line.
std::vector<std::string> Lines(const std::string& text);
std::vector<std::string> Columns(const std::string& line);

}  // namespace yuzulog::testing
