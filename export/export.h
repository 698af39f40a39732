// Exporting the loaded logs into today's formats: JSON Lines, UTF-8 text files with a manifest, a
// static web archive and an SQLite database, each with the provenance of what it holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/progress.h"
#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"

namespace yuzulog {

enum class ExportFormat { Jsonl, Text, Html, Sqlite };

// "yuzulog " and the version.
std::string ExportProgramName();

// "jsonl", "text", "html", "sqlite"; nothing for another name.
std::optional<ExportFormat> ExportFormatNamed(std::string_view name);
std::string_view ExportFormatName(ExportFormat format);
// True for the formats whose output is a folder.
bool ExportIsFolder(ExportFormat format);

struct ExportOptions {
  ExportFormat Format = ExportFormat::Jsonl;
  std::string OutPath;
  bool Force = false;  // replace an existing OutPath
  bool Fts = false;    // sqlite: also a full-text index of the bodies
  // The time the export records (seconds since 1970, UTC): SOURCE_DATE_EPOCH when it is set, so
  // that two exports of the same files are identical.
  std::int64_t Created = 0;
  std::string Program = ExportProgramName();  // recorded as the program that converted
};

struct ExportResult {
  OpStatus Status = OpStatus::Completed;
  std::string Error;  // why it failed (UTF-8); empty when it did not
  long long Messages = 0;
  bool Ok() const { return Status == OpStatus::Completed && Error.empty(); }
};

// Writes the messages of files (every one, or those of chosen) to options.OutPath. tree is the
// message tree built from files: it gives the threads and the numbering of copies. Nothing is
// left at OutPath unless the whole export completed; a cancel or an error removes what was built.
ExportResult ExportLogs(const LogFiles& files, const MessageTree& tree,
                        const std::vector<const TLogMessage*>* chosen, const ExportOptions& options,
                        Progress& progress);

// What the export window needs besides the export itself.
// The destination it proposes in folder: "yuzulog.jsonl", "yuzulog-text", "yuzulog-html",
// "yuzulog.sqlite".
std::string ExportDefaultDestination(const std::string& folder, ExportFormat format);
// What opening the result opens: the web archive's index.html, otherwise the destination itself.
std::string ExportOpenTarget(ExportFormat format, const std::string& destination);
// The box after a completed export: how many messages went where, and the offer to open it.
std::string ExportDoneText(const std::string& destination, long long messages);

// The time an export records: SOURCE_DATE_EPOCH when it holds a number, else now.
std::int64_t ExportCreationTime();

}  // namespace yuzulog
