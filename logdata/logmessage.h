// One message of a loaded log file: a few pointers into its file's buffer and the numbers read
// from its two header lines. No message text is ever copied.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/dosdatetime.h"

namespace yuzulog {

class TLogData;
class Conditions;
enum class ScanMode : std::uint8_t;

// Where a message is found: its conference room and its number (going to a message, a
// reference to another message).
struct MessageAddress {
  std::int32_t Room = 0;
  std::int32_t Number = 0;
};

class TLogMessage {
 public:
  explicit TLogMessage(TLogData* owner) : Owner(owner) {}

  // Recognises a header whose line 1 starts at p and fills the record. bufferLast is the final
  // NUL of the buffer: no fixed-column read goes past it. Returns BodyStart - HeadStart, or 0
  // when p does not start a header (the other fields are then left as they were).
  int ParseHeader(const char* p, const char* bufferLast);

  // Text fields; each is a view into the file's buffer.
  std::string_view HandleName() const;   // columns 22-37 of line 1, trimmed of bytes 0x00-0x20
  std::string_view HandleField() const;  // the same columns, only trailing spaces removed
  std::string_view Title() const;        // line 1 from column 38, trimmed; empty when shorter
  std::string_view ID() const;           // columns 12-19 of line 1
  std::string_view DateText() const;     // line 2 columns 7-14, as they stand
  std::string_view RoomText() const;     // line 2 columns 1-2, as they stand
  std::string_view NumberText() const;   // the number's digits without leading zeros
  std::string_view RawTitle() const;     // line 1 from column 38 up to the first byte below space
  // The whole message, both header lines and the body, up to the first NUL from HeadStart.
  std::string_view Text() const;
  std::string_view Body() const { return {BodyStart, BodySize()}; }

  std::size_t HeaderSize() const { return static_cast<std::size_t>(BodyStart - HeadStart); }
  std::size_t BodySize() const { return static_cast<std::size_t>(TextEnd - BodyStart); }
  std::size_t TextSize() const { return static_cast<std::size_t>(TextEnd - HeadStart); }

  // The message date as a file time; computed on first use and cached.
  FileTime DateTime() const;
  // The same computed afresh, the cache neither read nor written: for a thread other than the
  // one that owns the files, which may be caching dates meanwhile.
  FileTime ParseDateTime() const;

  // The keyword test over the text from HeadStart (includeHeader) or from BodyStart up to the
  // NUL at TextEnd; defined with the keyword matcher.
  bool Matches(const Conditions& conditions, ScanMode scanMode, bool includeHeader) const;

  // The file that holds the message; set at creation.
  TLogData* Owner;
  const char* HeadStart = nullptr;   // first byte of header line 1
  const char* Line2Start = nullptr;  // first byte of header line 2
  const char* BodyStart = nullptr;   // first byte of the body
  const char* TextEnd = nullptr;     // a NUL stands here once the file is parsed
  std::int32_t Room = 0;
  std::int32_t Number = 0;
  std::int32_t CommentTo = 0;

 private:
  friend class TLogData;
  const char* BufferLast() const;
  mutable FileTime FDateTime = 0;  // 0 = not yet computed
};

// Reads the run of ASCII digits at p in decimal, never past last (the buffer's final NUL).
// A value above 2147483647 saturates there. digits receives the run's length.
std::int32_t ReadDigitRun(const char* p, const char* last, int& digits);

}  // namespace yuzulog
