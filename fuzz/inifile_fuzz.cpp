// Any bytes as a settings file, then one key written: what is written reads back after the file
// is written and read again, no other key changes, and writing a file that was not changed is
// stable. The first line names the keys: "section TAB key TAB value TAB section TAB key"; the
// rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/sjis.h"
#include "platform/inifile.h"

namespace {

// The callers' section and key names are plain words; anything else is not theirs to write.
std::string Name(std::string_view field, const char* fallback) {
  std::string name;
  for (const char c : field)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
      name += c;
  return name.empty() ? fallback : name;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

// What a value written with WriteString reads as once the file is read again: blanks around it
// go, and enclosing double quotes go; line breaks and bytes that are not UTF-8 stay.
std::string ReadBackForm(std::string_view value) {
  std::string v(value);
  const std::size_t first = v.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  v = v.substr(first, v.find_last_not_of(" \t") - first + 1);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using yuzulog::IniFile;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view head = input.substr(0, newline);
  const std::string_view text =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
  std::vector<std::string_view> f = Fields(head);
  f.resize(5);
  const std::string sectionA = Name(f[0], "A"), keyA = Name(f[1], "K");
  const std::string sectionB = Name(f[3], "B"), keyB = Name(f[4], "L");
  constexpr std::string_view kMissing = "\x01missing";

  const IniFile original = IniFile::FromText("fuzz.INI", text);
  // Writing a file that was not changed twice gives the same text.
  const std::string once = original.Text();
  if (IniFile::FromText("fuzz.INI", once).Text() != once) __builtin_trap();

  const std::string otherBefore = original.ReadString(sectionB, keyB, kMissing);
  IniFile changed = original;
  changed.WriteString(sectionA, keyA, f[2]);
  const IniFile reread = IniFile::FromText("fuzz.INI", changed.Text());
  if (reread.ReadString(sectionA, keyA, kMissing) != ReadBackForm(f[2])) __builtin_trap();
  if (!reread.SectionExists(sectionA)) __builtin_trap();
  const bool sameKey = yuzulog::EqualsIgnoringAsciiCase(sectionA, sectionB) &&
                       yuzulog::EqualsIgnoringAsciiCase(keyA, keyB);
  // Every other key reads as it did, or stays missing.
  if (!sameKey && reread.ReadString(sectionB, keyB, kMissing) != otherBefore) __builtin_trap();
  // A number written reads back as that number.
  std::int32_t n = 0;
  if (yuzulog::ParseIniInteger(f[2], n)) {
    changed.WriteInteger(sectionA, keyA, n);
    if (IniFile::FromText("fuzz.INI", changed.Text()).ReadInteger(sectionA, keyA, ~n) != n)
      __builtin_trap();
  }
  return 0;
}
