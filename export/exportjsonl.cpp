// JSON Lines: the description first, then one object per message in load order.
#include <charconv>

#include "export/exportfiles.h"
#include "export/exportformats.h"
#include "platform/cp932.h"

namespace yuzulog {
namespace {

void Field(ExportFile& out, std::string_view name, std::string_view cp932) {
  out.Write(",\"");
  out.Write(name);
  out.Write("\":\"");
  out.WriteCp932(cp932, Utf8Escape::Json);
  out.Write("\"");
}

// The decimal digits of n, as std::to_string writes them, without a string of their own.
template <typename Integer>
void AppendNumber(std::string& out, Integer n) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}

}  // namespace

OpStatus WriteJsonl(const std::string& path, const ExportPlan& plan, const ExportDescription& d,
                    Progress& progress) {
  ExportFile out(path);
  out.Write(DescriptionJson(d));
  out.Write("\n");
  // The source fields of each file, written once and repeated on every line.
  std::vector<std::string> sourceFields;
  for (std::size_t i = 0; i < d.Sources.size(); ++i) {
    std::string f = ",\"source\":{\"index\":" + std::to_string(i) + ",\"file\":";
    AppendJsonString(f, SettingsTextToUtf8(d.Sources[i].Path));
    if (d.Sources[i].FromArchive) {
      f += ",\"member\":";
      AppendJsonString(f, d.Sources[i].Member);
    }
    sourceFields.push_back(std::move(f));
  }
  ExportTicker ticker(progress, static_cast<long long>(plan.Messages().size()));
  std::string line;
  for (const TLogMessage* m : plan.Messages()) {
    const int copy = plan.CopyOf(*m);
    line.assign("{\"room\":");
    AppendNumber(line, m->Room);
    line += ",\"number\":";
    AppendNumber(line, m->Number);
    line += ",\"copy\":";
    AppendNumber(line, copy);
    line += ",\"anchor\":\"";
    line += MessageAnchorName(m->Room, m->Number, copy);
    line += '"';
    out.Write(line);
    Field(out, "id", m->ID());
    Field(out, "handle", m->HandleName());
    Field(out, "title", m->Title());
    Field(out, "date_written", WrittenDate(*m));
    line.assign(",\"date\":\"");
    line += IsoLocalTime(*m);
    line += "\",\"comment_to\":";
    if (m->CommentTo > 0) {
      AppendNumber(line, m->CommentTo);
      const TLogMessage* target = plan.Target(m->Room, m->CommentTo);
      if (target) {
        line += ",\"comment_to_anchor\":\"";
        line += plan.Anchor(*target);
        line += '"';
      } else {
        line += ",\"comment_to_anchor\":null";
      }
    } else {
      line += "null";
    }
    out.Write(line);
    Field(out, "body", m->Body());
    const int file = plan.FileIndexOf(*m);
    line.assign(sourceFields[static_cast<std::size_t>(file)]);
    line += ",\"offset\":";
    AppendNumber(line, SourceOffset(*m));
    line += ",\"length\":";
    AppendNumber(line, m->TextSize());
    line += "}}\n";
    out.Write(line);
    if (!ticker.Tick()) return OpStatus::Cancelled;
  }
  out.Close();
  return OpStatus::Completed;
}

}  // namespace yuzulog
