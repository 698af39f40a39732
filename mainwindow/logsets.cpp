#include "mainwindow/logsets.h"

#include <algorithm>
#include <charconv>

#include "common/sjis.h"

namespace yuzulog {
namespace {

// Blanks and control characters: the bytes 1-32 (0 never occurs inside a line).
bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

void AppendQuoted(std::string& line, std::string_view field) {
  line += '"';
  for (const char c : field) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

}  // namespace

std::vector<std::string> ParseCommaText(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t p = 0;
  const std::size_t n = line.size();
  const auto skipBlanks = [&] {
    while (p < n && IsBlank(line[p]))
      ++p;
  };
  skipBlanks();
  while (p < n) {
    std::string field;
    if (line[p] == '"') {
      ++p;
      while (p < n) {
        if (line[p] == '"') {
          if (p + 1 < n && line[p + 1] == '"') {
            field += '"';
            p += 2;
            continue;
          }
          ++p;  // the closing quote
          break;
        }
        field += line[p++];
      }
    } else {
      const std::size_t start = p;
      while (p < n && !IsBlank(line[p]) && line[p] != ',')
        ++p;
      field.assign(line.substr(start, p - start));
    }
    fields.push_back(std::move(field));
    skipBlanks();
    if (p < n && line[p] == ',') {
      if (p + 1 == n) fields.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  return fields;
}

std::string LogSetLine(const std::string& name, const std::vector<std::string>& files) {
  std::string line;
  AppendQuoted(line, name);
  for (const std::string& f : files) {
    line += ',';
    AppendQuoted(line, f);
  }
  return line;
}

std::string LogSetName(std::string_view line) {
  std::vector<std::string> fields = ParseCommaText(line);
  return fields.empty() ? std::string() : std::move(fields.front());
}

std::vector<std::string> LogSetFiles(std::string_view line) {
  std::vector<std::string> fields = ParseCommaText(line);
  if (!fields.empty()) fields.erase(fields.begin());
  return fields;
}

std::vector<LogSet> ParseLogSets(const std::vector<std::string>& lines) {
  std::vector<LogSet> sets;
  for (const std::string& line : lines) {
    std::vector<std::string> fields = ParseCommaText(line);
    if (fields.empty()) continue;
    LogSet set{std::move(fields.front()), {}};
    set.Files.assign(std::make_move_iterator(fields.begin() + 1),
                     std::make_move_iterator(fields.end()));
    sets.push_back(std::move(set));
  }
  return sets;
}

std::vector<std::string> LogSetLines(const std::vector<LogSet>& sets) {
  std::vector<std::string> lines;
  lines.reserve(sets.size());
  for (const LogSet& set : sets)
    lines.push_back(LogSetLine(set.Name, set.Files));
  return lines;
}

int IndexOfLogSet(const std::vector<LogSet>& sets, std::string_view name) {
  for (std::size_t i = 0; i < sets.size(); ++i)
    if (EqualsIgnoringAsciiCase(sets[i].Name, name)) return static_cast<int>(i);
  return -1;
}

std::vector<std::string> GetLogSetNames(const std::vector<LogSet>& sets) {
  std::vector<std::string> names;
  names.reserve(sets.size());
  for (const LogSet& set : sets)
    names.push_back(set.Name);
  return names;
}

bool RegisterLogSet(std::vector<LogSet>& sets, const std::string& name,
                    const std::vector<std::string>& files,
                    const std::function<bool()>& confirmOverwrite) {
  const int existing = IndexOfLogSet(sets, name);
  if (existing >= 0) {
    if (!confirmOverwrite()) return false;
    sets.erase(sets.begin() + existing);
  }
  sets.insert(sets.begin(), LogSet{name, files});
  return true;
}

void MoveLogSetToFront(std::vector<LogSet>& sets, int index) {
  if (index <= 0 || index >= static_cast<int>(sets.size())) return;
  std::rotate(sets.begin(), sets.begin() + index, sets.begin() + index + 1);
}

int FindLogSetForKey(const std::vector<LogSet>& sets, std::string_view value) {
  if (value.size() > 1 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  if (value.empty()) return -1;
  for (std::size_t i = 0; i < sets.size(); ++i)
    if (sets[i].Name == value) return static_cast<int>(i);
  const bool digits = std::all_of(value.begin(), value.end(), [](char c) {
    return IsAsciiDigit(static_cast<unsigned char>(c));
  });
  int index = -1;
  if (!digits ||
      std::from_chars(value.data(), value.data() + value.size(), index).ec != std::errc())
    return -1;
  return index < static_cast<int>(sets.size()) ? index : -1;
}

}  // namespace yuzulog
