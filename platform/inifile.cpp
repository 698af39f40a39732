#include "platform/inifile.h"

#include <cerrno>
#include <utility>

#include "common/sjis.h"
#include "platform/cp932.h"
#include "platform/fileio.h"

namespace yuzulog {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

}  // namespace

bool ParseIniInteger(std::string_view text, std::int32_t& value) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  std::uint64_t v = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  if (negative) {
    if (v > 0x80000000ull) return false;
    value = static_cast<std::int32_t>(-static_cast<std::int64_t>(v));
  } else {
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  }
  return true;
}

namespace {

// Settings files are a few kilobytes; anything this large is no settings file of ours.
constexpr std::size_t kMaxSettingsBytes = 16 << 20;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool ReadSettingsText(const std::string& path, std::string& text, int* error) {
  std::string bytes;
  const int e = ReadWholeFile(path, bytes, kMaxSettingsBytes);
  if (error) *error = e;
  if (e != 0) return false;
  text = SettingsTextToUtf8(bytes);
  if (text.starts_with(kUtf8Bom)) text.erase(0, kUtf8Bom.size());
  return true;
}

std::string EscapeSettingsLine(std::string_view line) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < line.size();) {
    const char c = line[i];
    const std::size_t valid = c == '%' || c == '\r' || c == '\n' ? 0 : Utf8SequenceLength(line, i);
    if (valid > 0) {
      out.append(line.substr(i, valid));
      i += valid;
      continue;
    }
    const auto b = static_cast<unsigned char>(c);
    out += '%';
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
    ++i;
  }
  return out;
}

std::string UnescapeSettingsLine(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < line.size(); ++i) {
    // A '%' without two hexadecimal digits was not written by this program: it stays.
    const int high = line[i] == '%' && i + 2 < line.size() ? HexDigit(line[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(line[i + 2]) : -1;
    if (low < 0) {
      out += line[i];
      continue;
    }
    out += static_cast<char>(high << 4 | low);
    i += 2;
  }
  return out;
}

std::string SettingsFileText(const std::vector<std::string>& lines) {
  std::string out(kUtf8Bom);
  for (const std::string& line : lines)
    out += EscapeSettingsLine(line) + "\r\n";
  return out;
}

std::vector<std::string> SettingsFileLines(std::string_view bytes) {
  std::vector<std::string> lines;
  if (bytes.starts_with(kUtf8Bom)) {
    for (const std::string_view line : SplitLines(bytes.substr(kUtf8Bom.size())))
      lines.push_back(UnescapeSettingsLine(line));
    return lines;
  }
  const std::string text = SettingsTextToUtf8(bytes);
  for (const std::string_view line : SplitLines(text))
    lines.emplace_back(line);
  return lines;
}

bool ReadSettingsLines(const std::string& path, std::vector<std::string>& lines, int* error) {
  std::string bytes;
  const int e = ReadWholeFile(path, bytes, kMaxSettingsBytes);
  if (error) *error = e;
  if (e != 0) return false;
  lines = SettingsFileLines(bytes);
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size())
      pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
  }
  return lines;
}

IniFile::IniFile(std::string path) : FPath(std::move(path)) {
  std::vector<std::string> lines;
  int error = 0;
  if (ReadSettingsLines(FPath, lines, &error))
    Parse(lines);
  else if (error != ENOENT)
    FReadError = error;
}

IniFile IniFile::FromText(std::string path, std::string_view text) {
  IniFile ini;
  ini.FPath = std::move(path);
  ini.Parse(SettingsFileLines(text));
  return ini;
}

void IniFile::Parse(const std::vector<std::string>& lines) {
  FSections.push_back(Section{});
  for (const std::string_view raw : lines) {
    const std::string_view t = Trim(raw);
    if (t.size() >= 2 && t.front() == '[') {
      const std::size_t close = t.find(']');
      if (close != std::string_view::npos) {
        FSections.push_back(Section{std::string(Trim(t.substr(1, close - 1))), true, {}});
        continue;
      }
    }
    Line line;
    line.Raw = std::string(raw);
    const std::size_t eq = t.find('=');
    if (!t.empty() && t.front() != ';' && eq != std::string_view::npos && eq > 0) {
      line.Key = std::string(Trim(t.substr(0, eq)));
      line.Value = std::string(Trim(t.substr(eq + 1)));
    }
    FSections.back().Lines.push_back(std::move(line));
  }
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  for (const Section& s : FSections)
    if (s.HasHeader && EqualsIgnoringAsciiCase(s.Name, name)) return &s;
  return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const IniFile::Line* IniFile::FindLine(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return nullptr;
  for (const Line& l : s->Lines)
    if (!l.Key.empty() && EqualsIgnoringAsciiCase(l.Key, key)) return &l;
  return nullptr;
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const Line* l = FindLine(section, key);
  if (!l) return std::string(defaultValue);
  std::string_view v = l->Value;
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return std::string(v);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
  const Line* l = FindLine(section, key);
  std::int32_t v = 0;
  if (!l || !ParseIniInteger(l->Value, v)) return defaultValue;
  return v;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  // A line break inside the value is escaped on writing: it stays inside its line.
  const std::string v(value);
  std::string k(Trim(key));
  Section* s = FindSection(section);
  if (!s) {
    FSections.push_back(Section{std::string(section), true, {}});
    s = &FSections.back();
  }
  for (Line& l : s->Lines) {
    if (!l.Key.empty() && EqualsIgnoringAsciiCase(l.Key, k)) {
      l.Value = v;
      l.Raw = l.Key + "=" + v;
      return;
    }
  }
  // New keys go after the section's last key, before any trailing blank lines.
  auto at = s->Lines.end();
  while (at != s->Lines.begin() && Trim(std::prev(at)->Raw).empty())
    --at;
  s->Lines.insert(at, Line{k, v, k + "=" + v});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const {
  std::vector<std::string> lines;
  for (const Section& s : FSections) {
    if (s.HasHeader) lines.push_back("[" + s.Name + "]");
    for (const Line& l : s.Lines)
      lines.push_back(l.Raw);
  }
  return SettingsFileText(lines);
}

bool IniFile::UpdateFile(int* error) const {
  if (FReadError != 0) {
    if (error) *error = FReadError;
    return false;
  }
  return WriteFileAtomically(FPath, Text(), error);
}

}  // namespace yuzulog
