// yuzulog-cli files: one line per loaded file, in the order of the loaded-file list.
#include <string>

#include "cli/cli.h"
#include "platform/paths.h"

namespace yuzulog::cli {
namespace {

int RunFiles(CliContext& c) {
  c.LoadFiles(false);
  std::string out;
  for (const auto& file : c.Files) {
    const TLogData& f = *file;
    out += std::to_string(f.Room) + '\t' + std::to_string(f.FirstNumber) + '\t' +
           std::to_string(f.Items(f.Count() - 1).Number) + '\t' + std::to_string(f.Count()) + '\t' +
           std::to_string(f.Overlap) + '\t';
    // The file name is this platform's own text, not log text: written as it stands.
    std::string name = BaseName(f.FileName);
    for (char& ch : name)
      if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
    out += name + '\n';
  }
  c.Write(out);
  return kExitOk;
}

const bool registered = RegisterSubcommand(
    {"files",
     "one line per loaded file: Room FirstNumber LastNumber Count Overlap BaseName",
     {},
     RunFiles});

}  // namespace
}  // namespace yuzulog::cli
