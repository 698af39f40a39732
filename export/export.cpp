#include "export/export.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <new>

#include "export/exportfiles.h"
#include "export/exportformats.h"
#include "platform/cp932.h"

namespace yuzulog {

std::string ExportProgramName() {
  return std::string("yuzulog ") + YUZULOG_VERSION;
}

std::optional<ExportFormat> ExportFormatNamed(std::string_view name) {
  if (name == "jsonl") return ExportFormat::Jsonl;
  if (name == "text") return ExportFormat::Text;
  if (name == "html") return ExportFormat::Html;
  if (name == "sqlite") return ExportFormat::Sqlite;
  return std::nullopt;
}

std::string_view ExportFormatName(ExportFormat format) {
  switch (format) {
    case ExportFormat::Jsonl:
      return "jsonl";
    case ExportFormat::Text:
      return "text";
    case ExportFormat::Html:
      return "html";
    case ExportFormat::Sqlite:
      return "sqlite";
  }
  return "jsonl";
}

bool ExportIsFolder(ExportFormat format) {
  return format == ExportFormat::Text || format == ExportFormat::Html;
}

std::string ExportDefaultDestination(const std::string& folder, ExportFormat format) {
  std::string name;
  switch (format) {
    case ExportFormat::Jsonl:
      name = "yuzulog.jsonl";
      break;
    case ExportFormat::Text:
      name = "yuzulog-text";
      break;
    case ExportFormat::Html:
      name = "yuzulog-html";
      break;
    case ExportFormat::Sqlite:
      name = "yuzulog.sqlite";
      break;
  }
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string ExportOpenTarget(ExportFormat format, const std::string& destination) {
  return format == ExportFormat::Html ? destination + "/index.html" : destination;
}

std::string ExportDoneText(const std::string& destination, long long messages) {
  return std::to_string(messages) + " 個の発言をエクスポートしました。\n" + destination +
         "\n\n開きますか？";
}

std::int64_t ExportCreationTime() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    const long long value = std::strtoll(epoch, &end, 10);
    if (*epoch != '\0' && end && *end == '\0') return value;
  }
  return static_cast<std::int64_t>(std::time(nullptr));
}

std::string_view WrittenDate(const TLogMessage& m) {
  // Line 2 from column 7: the date, a space and the time, never past the line's end.
  constexpr std::size_t kColumn = 7, kLength = 14;
  const char* p = m.Line2Start;
  std::size_t n = 0;
  while (n < kColumn + kLength && p + n < m.BodyStart && p[n] != '\r' && p[n] != '\n' && p[n] != 0)
    ++n;
  if (n <= kColumn) return {};
  return {p + kColumn, n - kColumn};
}

namespace {

// Makes sure that what was written into the folder is on the disk, once for all its files.
void SyncFolder(const std::string& folder) {
  FileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() < 0 || ::syncfs(dir.Get()) != 0) throw SystemError("書き込めません", folder, errno);
}

OpStatus WriteFormat(const ExportOptions& options, const std::string& temporary,
                     const ExportPlan& plan, ExportDescription& d, Progress& progress) {
  switch (options.Format) {
    case ExportFormat::Jsonl:
      return WriteJsonl(temporary, plan, d, progress);
    case ExportFormat::Text:
      AssignMirrorPaths(d.Sources);
      return WriteTextFolder(temporary, plan, d, progress);
    case ExportFormat::Sqlite:
      return WriteSqlite(temporary, plan, d, options.Fts, progress);
    case ExportFormat::Html:
      return WriteHtmlFolder(temporary, plan, d, progress);
  }
  return OpStatus::Completed;
}

}  // namespace

ExportResult ExportLogs(const LogFiles& files, const MessageTree& tree,
                        const std::vector<const TLogMessage*>* chosen, const ExportOptions& options,
                        Progress& progress) {
  ExportResult result;
  ExportDestination destination;
  try {
    const bool folder = ExportIsFolder(options.Format);
    destination.Begin(options.OutPath, folder, options.Force);
    std::optional<std::vector<ExportSource>> sources = DescribeSources(files, chosen, progress);
    if (!sources) {
      result.Status = OpStatus::Cancelled;
      return result;
    }
    ExportDescription d;
    d.Format = std::string(ExportFormatName(options.Format));
    d.Program = options.Program;
    d.Converter = kCp932ConverterName;
    d.Created = options.Created;
    d.Sources = std::move(*sources);
    const ExportPlan plan(files, tree, chosen);
    result.Messages = static_cast<long long>(plan.Messages().size());
    progress.SetText("エクスポートしています");
    progress.SetPercent(0);
    if (WriteFormat(options, destination.Temporary(), plan, d, progress) == OpStatus::Cancelled ||
        progress.Cancelled()) {
      result.Status = OpStatus::Cancelled;
      return result;  // the destination's destructor removes the temporary
    }
    // The pages of a web archive are many and small: synced once as a whole.
    if (options.Format == ExportFormat::Html) SyncFolder(destination.Temporary());
    destination.Commit();
    progress.SetPercent(100);
  } catch (const ExportError& e) {
    result.Error = e.what();
  } catch (const Cp932Unavailable& e) {
    result.Error = e.what();
  } catch (const std::bad_alloc&) {
    result.Error = "メモリが足りません";
  } catch (const std::exception& e) {
    result.Error = e.what();
  }
  return result;
}

}  // namespace yuzulog
