#include "platform/inifile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/cp932.h"

namespace yuzulog {
namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

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

std::string ReadWholeFile(const std::string& path, bool& exists) {
  std::ifstream in(path, std::ios::binary);
  exists = static_cast<bool>(in);
  if (!exists) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
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

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  std::string tmp = path + ".XXXXXX";
  const int fd = mkstemp(tmp.data());
  if (fd < 0) return false;
  bool ok = true;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (ok && left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
    } else {
      p += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  // mkstemp makes the file private; settings are ordinary user files.
  if (ok) ok = ::fchmod(fd, 0644) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = std::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

IniFile::IniFile(std::string path) : FPath(std::move(path)) {
  bool exists = false;
  const std::string bytes = ReadWholeFile(FPath, exists);
  if (exists) Parse(SettingsTextToUtf8(bytes));
}

void IniFile::Parse(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a UTF-8 byte-order mark
  FSections.push_back(Section{});
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = text.substr(pos, end - pos);
    // CR LF, a lone CR and a lone LF each end a line.
    pos = end;
    if (pos < text.size())
      pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;

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

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindLine(section, key) != nullptr;
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
  // A line break inside a value would split it into lines of its own on the next read.
  std::string v(value);
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
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

void IniFile::EraseSection(std::string_view section) {
  std::erase_if(FSections, [&](const Section& s) {
    return s.HasHeader && EqualsIgnoringAsciiCase(s.Name, section);
  });
}

std::string IniFile::Text() const {
  std::string out;
  for (const Section& s : FSections) {
    if (s.HasHeader) out += "[" + s.Name + "]\r\n";
    for (const Line& l : s.Lines)
      out += l.Raw + "\r\n";
  }
  return out;
}

bool IniFile::UpdateFile() const {
  return WriteFileAtomically(FPath, Text());
}

}  // namespace yuzulog
