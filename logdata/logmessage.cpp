#include "logdata/logmessage.h"

#include <climits>

#include "common/sjis.h"
#include "logdata/linescan.h"
#include "logdata/logdata.h"

namespace yuzulog {
namespace {

// Header line 1 columns.
constexpr int kIdColumn = 12;
constexpr int kIdLength = 8;
constexpr int kHandleColumn = 22;
constexpr int kHandleLength = 16;
constexpr int kTitleColumn = 38;
// Header line 2 columns.
constexpr int kRoomColumn = 1;
constexpr int kDateColumn = 7;
constexpr int kDateLength = 8;
constexpr int kYearColumn = 7;
constexpr int kMonthColumn = 10;
constexpr int kDayColumn = 13;
constexpr int kHourColumn = 16;
constexpr int kMinuteColumn = 19;
constexpr int kCommentToColumn = 23;
constexpr int kNumberDigits = 5;

constexpr bool IsLineEndOrNul(unsigned char b) {
  return b == 0 || b == '\r' || b == '\n';
}
constexpr bool IsBlank(unsigned char b) {
  return b <= 0x20;
}

unsigned char At(const char* p) {
  return static_cast<unsigned char>(*p);
}

// A fixed-width field at column col of the line at line: len bytes, but never past the buffer's
// final NUL.
std::string_view FixedField(const char* line, int col, int len, const char* last) {
  if (line + col >= last) return {};
  const char* start = line + col;
  const std::size_t avail = static_cast<std::size_t>(last - start);
  return {start, std::min<std::size_t>(static_cast<std::size_t>(len), avail)};
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(static_cast<unsigned char>(s.front())))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(static_cast<unsigned char>(s.back())))
    s.remove_suffix(1);
  return s;
}

// The byte at column col of the line, or 0 when that column lies past the buffer's final NUL.
unsigned char ByteAt(const char* line, int col, const char* last) {
  return line + col <= last ? At(line + col) : 0;
}

// The value of the digit run at column col, or 0 when it is empty.
std::int32_t DatePart(const char* line2, int col, const char* last) {
  if (line2 + col > last) return 0;
  int digits = 0;
  return ReadDigitRun(line2 + col, last, digits);
}

}  // namespace

std::int32_t ReadDigitRun(const char* p, const char* last, int& digits) {
  std::int64_t value = 0;
  digits = 0;
  while (p < last && IsAsciiDigit(At(p))) {
    value = value * 10 + (At(p) - '0');
    if (value > INT32_MAX) value = INT32_MAX;
    ++digits;
    ++p;
  }
  return static_cast<std::int32_t>(value);
}

const char* TLogMessage::BufferLast() const {
  return Owner->Buffer() + Owner->BufferSize() - 1;
}

int TLogMessage::ParseHeader(const char* p, const char* bufferLast) {
  FDateTime = 0;
  if (!IsHeaderPattern(p, bufferLast)) return 0;
  HeadStart = p;
  // bufferLast is the final NUL, so both scans stop there at the latest; the pattern holds no
  // line end.
  Line2Start = SkipLineEnd(FindLineEnd(p + kHeaderPatternLength, bufferLast + 1));
  BodyStart = SkipLineEnd(FindLineEnd(Line2Start, bufferLast + 1));
  TextEnd = BodyStart;

  int digits = 0;
  const std::int32_t number = ReadDigitRun(HeadStart, bufferLast, digits);
  Number = digits >= kNumberDigits ? number : -1;
  const char* commentField = Line2Start + kCommentToColumn;
  const std::int32_t comment =
      commentField <= bufferLast ? ReadDigitRun(commentField, bufferLast, digits) : 0;
  CommentTo = commentField <= bufferLast && digits >= kNumberDigits ? comment : -1;
  const unsigned char tens = ByteAt(Line2Start, kRoomColumn, bufferLast);
  const unsigned char units = ByteAt(Line2Start, kRoomColumn + 1, bufferLast);
  Room = (IsAsciiDigit(tens) ? (tens - '0') * 10 : 0) + (IsAsciiDigit(units) ? units - '0' : 0);
  return static_cast<int>(BodyStart - HeadStart);
}

std::string_view TLogMessage::HandleField() const {
  // Only bytes of line 1: the field ends early at its line end.
  const char* start = HeadStart + kHandleColumn;
  const char* last = BufferLast();
  std::size_t n = 0;
  while (n < kHandleLength && start + n < last && !IsLineEndOrNul(At(start + n)))
    ++n;
  std::string_view field(start, n);
  while (!field.empty() && field.back() == ' ')
    field.remove_suffix(1);
  return field;
}

std::string_view TLogMessage::HandleName() const {
  return TrimBlanks(HandleField());
}

// Length of the text of line 1 (without its line end).
static std::size_t Line1Length(const char* headStart) {
  const char* p = headStart;
  while (!IsLineEndOrNul(At(p)))
    ++p;
  return static_cast<std::size_t>(p - headStart);
}

std::string_view TLogMessage::Title() const {
  // Line 1 from column 38 to the start of line 2, its line end included, then trimmed.
  if (Line1Length(HeadStart) < kTitleColumn + 1) return {};
  return TrimBlanks(std::string_view(
      HeadStart + kTitleColumn, static_cast<std::size_t>(Line2Start - HeadStart) - kTitleColumn));
}

std::string_view TLogMessage::RawTitle() const {
  const std::size_t length = Line1Length(HeadStart);
  if (length < kTitleColumn + 1) return {};
  const char* start = HeadStart + kTitleColumn;
  const char* end = start;
  while (end < HeadStart + length && At(end) >= 0x20)
    ++end;
  return {start, static_cast<std::size_t>(end - start)};
}

std::string_view TLogMessage::ID() const {
  return FixedField(HeadStart, kIdColumn, kIdLength, BufferLast());
}

std::string_view TLogMessage::DateText() const {
  return FixedField(Line2Start, kDateColumn, kDateLength, BufferLast());
}

std::string_view TLogMessage::RoomText() const {
  return FixedField(Line2Start, kRoomColumn, 2, BufferLast());
}

std::string_view TLogMessage::NumberText() const {
  const char* p = HeadStart;
  while (At(p) != 0 && At(p) <= '0')
    ++p;
  const char* start = p;
  while (IsAsciiDigit(At(p)))
    ++p;
  return {start, static_cast<std::size_t>(p - start)};
}

std::string_view TLogMessage::Text() const {
  const char* p = HeadStart;
  while (*p != 0)
    ++p;
  return {HeadStart, static_cast<std::size_t>(p - HeadStart)};
}

FileTime TLogMessage::DateTime() const {
  if (FDateTime == 0) FDateTime = ParseDateTime();
  return FDateTime;
}

FileTime TLogMessage::ParseDateTime() const {
  const char* last = BufferLast();
  std::int64_t year = DatePart(Line2Start, kYearColumn, last);
  const std::int64_t month = DatePart(Line2Start, kMonthColumn, last);
  const std::int64_t day = DatePart(Line2Start, kDayColumn, last);
  const std::int64_t hour = DatePart(Line2Start, kHourColumn, last);
  const std::int64_t minute = DatePart(Line2Start, kMinuteColumn, last);
  year = year <= 80 ? 2000 + year : 1900 + year;
  // Packed into the 16-bit DOS words exactly as the date has always been packed: fields that do
  // not fit spill into their neighbours, which still gives one consistent value per date text.
  const auto dosDate = static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day);
  const auto dosTime = static_cast<std::uint16_t>((hour << 11) | (minute << 5));
  return DosDateTimeToFileTime(dosDate, dosTime);
}

}  // namespace yuzulog
