// Named log sets: each a line of comma text in "LogSet.INI", field 0 the set's name and the
// fields after it the full paths of its files, in the order the files were loaded. The list is
// kept with the most recently registered or used set first.
//
// Every field is written in double quotes, and a double quote inside a name or path is doubled,
// so every line reads back into the fields it was written from.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace yuzulog {

// The fields of a line of comma text: blanks and control characters before a field and around
// the commas are skipped; a field that starts with a double quote runs to the closing quote, two
// double quotes inside it standing for one; an unquoted field ends at a blank, a control
// character or a comma. A comma at the very end adds an empty field; a blank line has none.
std::vector<std::string> ParseCommaText(std::string_view line);

// The line of a set: the name and the paths, each quoted, separated by commas.
std::string LogSetLine(const std::string& name, const std::vector<std::string>& files);

// Field 0 of a line ("" when the line has no field).
std::string LogSetName(std::string_view line);
// The fields of a line after its name: the set's files.
std::vector<std::string> LogSetFiles(std::string_view line);

// A set as the program holds it, its line parsed once.
struct LogSet {
  std::string Name;
  std::vector<std::string> Files;
  bool operator==(const LogSet&) const = default;
};

// The sets of a list file's lines, in order; a line that holds no field at all (a blank line,
// which the program never writes) is dropped, so that every set has a name and the menu's
// numbers are the sets' indexes.
std::vector<LogSet> ParseLogSets(const std::vector<std::string>& lines);
// The lines of the list file.
std::vector<std::string> LogSetLines(const std::vector<LogSet>& sets);

// The index of the first set whose name equals name ignoring ASCII case; -1 when none.
int IndexOfLogSet(const std::vector<LogSet>& sets, std::string_view name);
// The names of all sets, in order.
std::vector<std::string> GetLogSetNames(const std::vector<LogSet>& sets);

// Registers files as the set name, at the top. When a set of that name (in any ASCII case)
// exists, confirmOverwrite decides: true replaces it, false changes nothing. Returns whether
// the list changed.
bool RegisterLogSet(std::vector<LogSet>& sets, const std::string& name,
                    const std::vector<std::string>& files,
                    const std::function<bool()>& confirmOverwrite);

// A set that is used moves to the top.
void MoveLogSetToFront(std::vector<LogSet>& sets, int index);

// The set named by the command line's "LogSet:" value: an optional pair of enclosing double
// quotes is removed; the first set whose name equals the value byte for byte wins; failing that,
// a decimal number i with 0 <= i < count names the set at index i. -1 when nothing matches.
int FindLogSetForKey(const std::vector<LogSet>& sets, std::string_view value);

}  // namespace yuzulog
