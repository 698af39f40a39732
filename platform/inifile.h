// Profile (INI) files: sections of "key=value" lines. Sections and keys compare without regard to
// ASCII case; a missing file or key gives the caller's default; writing keeps every other section,
// key and comment line as it was, and replaces the file as a whole so a crash never leaves half a
// file behind. A file that exists but could not be read is never written: the program never saw
// what it holds.
//
// Every settings and list file this program writes starts with the UTF-8 byte-order mark, and in
// its lines '%', CR, LF and every byte that is not part of valid UTF-8 are written as '%' and two
// upper-case hexadecimal digits: a path in code page 932 bytes, or one holding a line break, comes
// back as the bytes it was and leaves the other lines alone. A file that starts with the mark is
// read with those escapes decoded; one without it (carried over from the old platform, or written
// before the mark) is read as UTF-8 when it is valid, else as code page 932, and its '%' signs
// are literal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fileio.h"

namespace yuzulog {

class IniFile {
 public:
  // Reads the file when it exists (see above for how its bytes are taken). Nothing is written
  // until UpdateFile.
  explicit IniFile(std::string path);
  // A file of the given text, as if read from path.
  static IniFile FromText(std::string path, std::string_view text);

  const std::string& Path() const { return FPath; }
  // 0 when the file was read or does not exist; else the errno that kept it from being read.
  int ReadError() const { return FReadError; }

  bool SectionExists(std::string_view section) const;

  // A value that is enclosed in double quotes is returned without them.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // Decimal (with an optional sign) or hexadecimal after "0x"; anything else, or a value that
  // does not fit 32 bits, gives the default. Hexadecimal and decimal values up to 0xFFFFFFFF are
  // taken as the 32-bit pattern, so a stored colour 0x80000005 reads as -2147483643.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  // Any non-zero integer is true; a value that is not a number gives the default.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Writes the file (the mark, escaped lines, CR LF) as WriteFileAtomically does. False (and the
  // errno in error) when it could not be written, or was not read (ReadError) and so is left as it
  // is; the old file is then left untouched.
  bool UpdateFile(int* error = nullptr) const;

  // The text UpdateFile writes.
  std::string Text() const;

 private:
  struct Line {
    std::string Key;    // empty for a line that is not "key=value" (kept verbatim in Raw)
    std::string Value;  // the text after '=', blanks around it removed
    std::string Raw;
  };
  struct Section {
    std::string Name;  // empty for the lines before the first section header
    bool HasHeader = false;
    std::vector<Line> Lines;
  };

  void Parse(const std::vector<std::string>& lines);
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  const Line* FindLine(std::string_view section, std::string_view key) const;

  IniFile() = default;

  std::string FPath;
  std::vector<Section> FSections;
  int FReadError = 0;
};

// Parses an integer as IniFile::ReadInteger does; false when text is not one.
bool ParseIniInteger(std::string_view text, std::int32_t& value);

// The whole text of a text file as UTF-8 (decoded from code page 932 when the file is not valid
// UTF-8) without a byte-order mark, escapes left as they are; false when the file cannot be read,
// with the errno in error (ENOENT when there is no such file).
bool ReadSettingsText(const std::string& path, std::string& text, int* error = nullptr);

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// One line of a settings or list file as written after the mark, and back.
std::string EscapeSettingsLine(std::string_view line);
std::string UnescapeSettingsLine(std::string_view line);
// The bytes of a settings or list file of lines: the mark, then each line escaped and ended by
// CR LF.
std::string SettingsFileText(const std::vector<std::string>& lines);
// The lines that the bytes of a settings or list file hold, with or without the mark.
std::vector<std::string> SettingsFileLines(std::string_view bytes);
// Reads the lines of a settings or list file; false as for ReadSettingsText.
bool ReadSettingsLines(const std::string& path, std::vector<std::string>& lines,
                       int* error = nullptr);
// The lines of a text; CR LF, a lone CR and a lone LF each end a line, and a line end at the very
// end does not start another line.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace yuzulog
