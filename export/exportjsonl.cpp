// JSON Lines: the description first, then one object per message in load order.
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
    line = "{\"room\":" + std::to_string(m->Room) + ",\"number\":" + std::to_string(m->Number) +
           ",\"copy\":" + std::to_string(plan.CopyOf(*m)) + ",\"anchor\":\"" + plan.Anchor(*m) +
           "\"";
    out.Write(line);
    Field(out, "id", m->ID());
    Field(out, "handle", m->HandleName());
    Field(out, "title", m->Title());
    Field(out, "date_written", WrittenDate(*m));
    out.Write(",\"date\":\"" + IsoLocalTime(*m) + "\",\"comment_to\":");
    if (m->CommentTo > 0) {
      out.Write(std::to_string(m->CommentTo));
      const TLogMessage* target = plan.Target(m->Room, m->CommentTo);
      out.Write(target ? ",\"comment_to_anchor\":\"" + plan.Anchor(*target) + "\""
                       : std::string(",\"comment_to_anchor\":null"));
    } else {
      out.Write("null");
    }
    Field(out, "body", m->Body());
    const int file = plan.FileIndexOf(*m);
    out.Write(sourceFields[static_cast<std::size_t>(file)]);
    out.Write(",\"offset\":" + std::to_string(SourceOffset(*m)) +
              ",\"length\":" + std::to_string(m->TextSize()) + "}}\n");
    if (!ticker.Tick()) return OpStatus::Cancelled;
  }
  out.Close();
  return OpStatus::Completed;
}

}  // namespace yuzulog
