// Any bytes as a log-set list file, one set per line: the lines read back as they were once the
// list is written (whatever bytes and line breaks they hold); every line that has fields reads back
// into the same fields once written as a set's line; a set registered under a line's name is found
// first under that name; looking a set up by the command line's value never names a line the
// list does not have; a save over another copy's list keeps this copy's edits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mainwindow/listedits.h"
#include "mainwindow/logsets.h"
#include "platform/inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace yuzulog;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> sets = SettingsFileLines(text);
  if (SettingsFileLines(SettingsFileText(sets)) != sets) __builtin_trap();

  for (const std::string& line : sets) {
    const std::vector<std::string> fields = ParseCommaText(line);
    if (LogSetName(line) != (fields.empty() ? std::string() : fields.front())) __builtin_trap();
    if (fields.empty()) continue;
    const std::vector<std::string> files(fields.begin() + 1, fields.end());
    if (LogSetFiles(line) != files) __builtin_trap();
    if (ParseCommaText(LogSetLine(fields.front(), files)) != fields) __builtin_trap();
  }

  std::vector<LogSet> parsed = ParseLogSets(sets);
  if (ParseLogSets(LogSetLines(parsed)) != parsed) __builtin_trap();
  if (parsed.empty()) return 0;

  // The first set's name as the command line's value, then as a set's name.
  const std::string value = parsed.front().Name;
  const int found = FindLogSetForKey(parsed, value);
  if (found < -1 || found >= static_cast<int>(parsed.size())) __builtin_trap();

  std::vector<std::string> names = GetLogSetNames(parsed);
  const std::size_t before = parsed.size();
  const std::vector<std::string> files = parsed.back().Files;
  if (!RegisterLogSet(parsed, value, files, [] { return true; })) __builtin_trap();
  if (IndexOfLogSet(parsed, value) != 0 || parsed.front().Files != files) __builtin_trap();
  if (parsed.size() != before && parsed.size() != before + 1) __builtin_trap();

  // Moving a set to the top takes it out of its place and keeps the others in their order.
  names = GetLogSetNames(parsed);
  const std::size_t moving = size % parsed.size();
  MoveLogSetToFront(parsed, static_cast<int>(moving));
  std::string first = names[moving];
  names.erase(names.begin() + static_cast<std::ptrdiff_t>(moving));
  names.insert(names.begin(), std::move(first));
  if (GetLogSetNames(parsed) != names) __builtin_trap();

  // Saving over a list another copy wrote: the set used here leads, a removed one never returns.
  ListEdits edits;
  edits.Remove(parsed.back().Name);
  edits.Touch(parsed.front().Name);
  const std::vector<LogSet> onDisk(parsed.rbegin(), parsed.rend());
  const std::vector<LogSet> merged = MergeListEdits(
      parsed, edits, onDisk, [](const LogSet& set) -> const std::string& { return set.Name; });
  if (merged.empty() || merged.front() != parsed.front()) __builtin_trap();
  for (const LogSet& set : merged)
    if (edits.Of(set.Name) == ListEdits::Edit::Removed) __builtin_trap();
  return 0;
}
