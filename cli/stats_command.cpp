// yuzulog-cli stats: the statistics window's figures per room, per month or per writer, as
// tab-separated text, CSV with a header line, or one JSON object holding all three.
#include <string>
#include <string_view>

#include "cli/cli.h"
#include "stats/archivestats.h"

namespace yuzulog::cli {
namespace {

enum class Format { Text, Csv, Json };
enum class By { Room, Month, Writer };

// A field the output writes: a number, a text of the program's own, or log text (code page 932).
struct Field {
  std::string Value;
  bool FromLog = false;
  bool Quoted = false;  // a JSON string (numbers stay bare)
};
Field Number(long long n) {
  return {std::to_string(n), false, false};
}
Field Text(std::string s) {
  return {std::move(s), false, true};
}
Field LogText(std::string_view cp932) {
  return {std::string(cp932), true, true};
}

struct Table {
  std::vector<std::string_view> Columns;  // CSV header names and JSON keys
  std::vector<std::vector<Field>> Rows;
};

Table RoomTable(const ArchiveStats& s) {
  Table t{{"room", "messages", "threads", "writers", "first", "last", "busiest_month"}, {}};
  for (const RoomFigures& r : s.Rooms)
    t.Rows.push_back({Number(r.Room), Number(r.Messages), Number(r.Threads), Number(r.Writers),
                      Text(IsoDateText(r.First)), Text(IsoDateText(r.Last)),
                      Text(IsoMonthText(r.BusiestMonth))});
  return t;
}

Table MonthTable(const ArchiveStats& s) {
  Table t{{"room", "month", "messages"}, {}};
  for (const MonthFigures& m : s.Months)
    t.Rows.push_back({Number(m.Room), Text(IsoMonthText(m.Month)), Number(m.Messages)});
  return t;
}

Table WriterTable(const ArchiveStats& s) {
  Table t{{"room", "id", "handle", "messages", "threads", "first", "last"}, {}};
  for (const WriterFigures& w : s.Writers)
    t.Rows.push_back({Number(w.Room), LogText(w.ID), LogText(w.Handle), Number(w.Messages),
                      Number(w.Threads), Text(IsoDateText(w.First)), Text(IsoDateText(w.Last))});
  return t;
}

// The field as the output encoding has it, control bytes as spaces.
std::string Converted(const CliContext& c, const Field& f) {
  std::string out;
  if (f.FromLog)
    c.AppendLogField(out, f.Value);
  else
    c.AppendOwnText(out, f.Value);
  return out;
}

void AppendCsvField(std::string& out, const std::string& value) {
  if (value.find_first_of(",\"") == std::string::npos) {
    out += value;
    return;
  }
  out += '"';
  for (char ch : value) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

// JSON text is UTF-8 and control bytes are spaces by now: only the quote and the backslash need
// escaping.
void AppendJsonString(std::string& out, const std::string& value) {
  out += '"';
  for (char ch : value) {
    if (ch == '"' || ch == '\\') out += '\\';
    out += ch;
  }
  out += '"';
}

void WriteTable(CliContext& c, const Table& t, Format format) {
  std::string out;
  if (format == Format::Csv) {
    for (std::size_t i = 0; i < t.Columns.size(); ++i)
      out.append(i ? "," : "").append(t.Columns[i]);
    out += '\n';
  }
  for (const auto& row : t.Rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i) out += format == Format::Csv ? ',' : '\t';
      const std::string value = Converted(c, row[i]);
      if (format == Format::Csv)
        AppendCsvField(out, value);
      else
        out += value;
    }
    out += '\n';
    c.WriteWhenFull(out);
  }
  c.Write(out);
}

void AppendJsonArray(const CliContext& c, std::string& out, std::string_view name, const Table& t) {
  out.append("\"").append(name).append("\":[");
  for (std::size_t r = 0; r < t.Rows.size(); ++r) {
    out += r ? ",\n{" : "\n{";
    for (std::size_t i = 0; i < t.Columns.size(); ++i) {
      out.append(i ? ",\"" : "\"").append(t.Columns[i]).append("\":");
      const Field& f = t.Rows[r][i];
      if (!f.Quoted)
        out += f.Value;
      else if (f.Value.empty() && !f.FromLog)
        out += "null";  // a date or month that is not known
      else
        AppendJsonString(out, Converted(c, f));
    }
    out += '}';
  }
  out += "]";
}

int RunStats(CliContext& c) {
  const std::string* byValue = c.Args.Last("by");
  const std::string* formatValue = c.Args.Last("format");
  By by = By::Room;
  if (byValue) {
    if (*byValue == "month")
      by = By::Month;
    else if (*byValue == "writer")
      by = By::Writer;
    else if (*byValue != "room")
      throw UsageError("--by must be room, month or writer: " + *byValue);
  }
  Format format = Format::Text;
  if (formatValue) {
    if (*formatValue == "csv")
      format = Format::Csv;
    else if (*formatValue == "json")
      format = Format::Json;
    else if (*formatValue != "text")
      throw UsageError("--format must be text, csv or json: " + *formatValue);
  }
  // JSON text is UTF-8 by definition.
  if (format == Format::Json && c.Sjis)
    throw UsageError("--format=json is always UTF-8: it takes no --encoding=sjis");
  const bool oneRoom = c.Args.Has("room");
  const int room = c.Args.Int32("room", 0);

  c.LoadFiles(true);
  ArchiveStats stats = ComputeArchiveStats(c.Files, c.Tree);
  if (oneRoom) stats = SelectRoom(stats, room);

  if (format == Format::Json) {
    std::string out = "{";
    AppendJsonArray(c, out, "rooms", RoomTable(stats));
    out += ",\n";
    AppendJsonArray(c, out, "months", MonthTable(stats));
    out += ",\n";
    AppendJsonArray(c, out, "writers", WriterTable(stats));
    out += "}\n";
    c.Write(out);
  } else {
    WriteTable(c,
               by == By::Room    ? RoomTable(stats)
               : by == By::Month ? MonthTable(stats)
                                 : WriterTable(stats),
               format);
  }
  // A room asked for that is not loaded is not found.
  return oneRoom && stats.Rooms.empty() ? kExitNotFound : kExitOk;
}

const bool registered = RegisterSubcommand(
    {"stats",
     "per room, month or writer: messages, threads, writers, first and last date",
     {{"by", 0, true, "room (default), month or writer: which figures text and csv print"},
      {"room", 0, true, "only the room N"},
      {"format", 0, true, "text (default, tab-separated), csv (with a header line) or json"}},
     RunStats});

}  // namespace
}  // namespace yuzulog::cli
