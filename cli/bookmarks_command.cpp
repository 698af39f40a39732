// yuzulog-cli bookmarks: the bookmarks of the settings folder's database, as tab-separated lines
// or as one JSON array. It reads the database and never writes it; with no database there are
// no bookmarks.
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "marks/markstore.h"
#include "platform/cp932.h"
#include "platform/settingsfolder.h"

namespace yuzulog::cli {
namespace {

std::string IsoTime(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  char text[32] = "";
  if (gmtime_r(&t, &tm)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

// A UTF-8 text as a JSON string.
void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (b < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", b);
      out += escaped;
    } else {
      out += ch;
    }
  }
  out += '"';
}

// A note may hold a tab or a line end; in a line of tab-separated columns it becomes a space.
void AppendOwnField(const CliContext& c, std::string& line, std::string text) {
  for (char& ch : text)
    if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
  c.AppendOwnText(line, text);
}

std::string TextLine(const CliContext& c, const Bookmark& b) {
  std::string line = std::to_string(b.Key.Room) + '\t' + std::to_string(b.Key.Number) + '\t';
  c.AppendLogField(line, b.Key.IdText());
  line += '\t';
  c.AppendLogField(line, b.Key.WhenText());
  for (const std::string* text : {&b.Title, &b.Handle, &b.Note}) {
    line += '\t';
    AppendOwnField(c, line, *text);
  }
  return line + '\t' + IsoTime(b.Created) + '\n';
}

// JSON is UTF-8 whatever --encoding says: a JSON text in another encoding is not JSON.
std::string JsonObject(const Bookmark& b) {
  std::string out = "{\"room\":" + std::to_string(b.Key.Room) +
                    ",\"number\":" + std::to_string(b.Key.Number) + ",\"id\":";
  AppendJsonString(out, Cp932ToUtf8(b.Key.IdText()));
  out += ",\"date\":";
  AppendJsonString(out, Cp932ToUtf8(b.Key.WhenText()));
  out += ",\"title\":";
  AppendJsonString(out, b.Title);
  out += ",\"handle\":";
  AppendJsonString(out, b.Handle);
  out += ",\"note\":";
  AppendJsonString(out, b.Note);
  out += ",\"created\":";
  AppendJsonString(out, IsoTime(b.Created));
  return out + '}';
}

int RunBookmarks(CliContext& c) {
  if (!c.Args.Files.empty()) throw UsageError("takes no FILE: " + c.Args.Files.front());
  const std::string* format = c.Args.Last("format");
  const bool json = format && *format == "json";
  if (format && !json && *format != "text")
    throw UsageError("--format must be text or json: " + *format);

  std::vector<Bookmark> list;
  const std::string path = MarkStorePath(SettingsDir(GetSettingsFolder()));
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) {
    std::string problem;
    auto store = MarkStore::Open(path, problem, {.ReadOnly = true});
    if (!store || !store->Bookmarks(list)) {
      std::fprintf(stderr, "yuzulog-cli: %s\n", (store ? store->Problem() : problem).c_str());
      return kExitUsage;
    }
  }
  std::string out;
  if (json) {
    out += '[';
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i) out += ',';
      out += JsonObject(list[i]);
      c.WriteWhenFull(out);
    }
    out += "]\n";
  } else {
    for (const Bookmark& b : list) {
      out += TextLine(c, b);
      c.WriteWhenFull(out);
    }
  }
  c.Write(out);
  return kExitOk;
}

const bool registered =
    RegisterSubcommand({"bookmarks",
                        "the bookmarks (no FILE): Room Number ID Date Title Handle Note Created",
                        {{"format", 0, true, "text (default) or json (always UTF-8)"}},
                        RunBookmarks});

}  // namespace
}  // namespace yuzulog::cli
