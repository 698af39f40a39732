// yuzulog-cli messages: one line per message with every header field.
#include <string>

#include "cli/cli.h"

namespace yuzulog::cli {
namespace {

int RunMessages(CliContext& c) {
  c.LoadFiles(false);
  std::string out;
  for (const auto& file : c.Files) {
    for (const TLogMessage& m : file->Messages()) {
      out += std::to_string(m.Room);
      out += '\t';
      out += std::to_string(m.Number);
      out += '\t';
      out += std::to_string(m.CommentTo);
      out += '\t';
      c.AppendLogField(out, m.ID());
      out += '\t';
      c.AppendLogField(out, m.DateText());
      out += '\t';
      out += std::to_string(m.DateTime());
      out += '\t';
      out += std::to_string(m.HeaderSize());
      out += '\t';
      out += std::to_string(m.BodySize());
      out += '\t';
      c.AppendLogField(out, m.HandleName());
      out += '\t';
      c.AppendLogField(out, m.Title());
      out += '\n';
      c.WriteWhenFull(out);
    }
  }
  c.Write(out);
  return kExitOk;
}

const bool registered = RegisterSubcommand(
    {"messages",
     "one line per message: Room Number CommentTo ID DateText DateTime HeaderSize "
     "BodySize HandleName Title",
     {},
     RunMessages});

}  // namespace
}  // namespace yuzulog::cli
