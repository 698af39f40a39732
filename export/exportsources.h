// The provenance of an export: every source file with its size and SHA-256, the archive member a
// log came from, what of its text did not convert or converted from a form that is not the only
// one, and the description that each format records before its messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/progress.h"
#include "export/cp932export.h"
#include "logdata/logfiles.h"

namespace yuzulog {

// SHA-256 of a whole file in lower-case hexadecimal, read a megabyte at a time. Throws
// ExportError.
std::string FileSha256(const std::string& path, std::uint64_t* size = nullptr);

// A message and where its text stands: offsets count from the start of the log file, or of the
// archive member the log was taken from.
std::uint64_t SourceOffset(const TLogMessage& m);

struct ExportSource {
  const TLogData* Data = nullptr;
  std::string Path;  // as the file was loaded
  std::uint64_t Size = 0;
  std::string Sha256;
  bool FromArchive = false;
  std::string Member;  // the member's name as UTF-8, "/" between folders; empty for a .LOG
  std::uint64_t MemberSize = 0;
  // Where the text export puts the converted log, relative to its folder.
  std::string MirrorPath;
  std::vector<Cp932Exception> Exceptions;  // in offset order
};

// What every format records about the export before its messages.
struct ExportDescription {
  std::string Format;  // "jsonl", "text", "html", "sqlite"
  int FormatVersion = 1;
  std::string Program;  // name and version
  std::string Converter;
  std::int64_t Created = 0;  // seconds since 1970 (UTC)
  std::vector<ExportSource> Sources;
};

// The sources of the loaded files in their order: their digests, members and the exceptions of
// the text that is exported (every message of chosen, or the whole text when chosen is null).
// Returns nothing when progress was cancelled.
std::optional<std::vector<ExportSource>> DescribeSources(
    const LogFiles& files, const std::vector<const TLogMessage*>* chosen, Progress& progress);

// The relative paths of the text export: each source under the folder the sources share, an
// archive as a folder of its name holding its member.
void AssignMirrorPaths(std::vector<ExportSource>& sources);

// The description as one JSON object (no line end).
std::string DescriptionJson(const ExportDescription& d);
// "2026-12-07T22:10:00Z"
std::string UtcTimeText(std::int64_t seconds);
// A message's date as ISO 8601 local time ("1997-05-04T21:25:00"), from the sort key the program
// computes (two-digit years up to 80 in the 2000s).
std::string IsoLocalTime(const TLogMessage& m);
// Appends s as a JSON string (quotes included); s must be UTF-8.
void AppendJsonString(std::string& out, std::string_view s);
// Lower-case hexadecimal of bytes.
std::string HexBytes(std::string_view bytes);

}  // namespace yuzulog
