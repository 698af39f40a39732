#include "logdata/logdata.h"

#include <cstdint>
#include <cstring>

namespace yuzulog {

ByteBlock AllocateZeroed(std::size_t size) {
  if (size == 0) return {};
  return ByteBlock(static_cast<char*>(std::calloc(size, 1)));
}

void TLogData::SetBuffer(ByteBlock data, std::size_t size) {
  FBuffer = std::move(data);
  FBufferSize = FBuffer ? size : 0;
}

void TLogData::SetBufferSize(std::size_t size) {
  FBuffer.reset();
  FBufferSize = 0;
  if (size > 0) {
    FBuffer = AllocateZeroed(size);
    if (FBuffer) FBufferSize = size;
  }
}

namespace {

// The end of the text before a header accepted at p: the start of the line end that precedes p.
// CR LF gives p - 2; a lone LF or a lone CR gives p - 1, so a message of LF-only or CR-only text
// keeps its last byte.
char* LineEndBefore(char* buffer, char* p) {
  if (p - buffer >= 2 && p[-2] == '\r' && p[-1] == '\n') return p - 2;
  return p - 1;
}

// Sets the end of a message's text. When the next header starts right after the second header
// line, that end lies before BodyStart: the body is then empty, so it never runs into the next
// message.
void EndMessage(TLogMessage& m, const char* end) {
  m.TextEnd = end;
  if (m.TextEnd < m.BodyStart) m.BodyStart = m.TextEnd;
}

}  // namespace

int TLogData::Parse() {
  FItems.clear();
  if (!FBuffer || FBufferSize == 0) return 0;
  char* const buffer = FBuffer.get();
  char* const last = buffer + FBufferSize - 1;
  *last = '\0';  // the text must end in a NUL whatever the caller handed over

  std::int32_t lastRoom = 0;
  std::int32_t lastNumber = 0;
  std::size_t previous = SIZE_MAX;  // index, since the vector grows while parsing
  TLogMessage candidate(this);
  char* p = buffer;
  while (*p != '\0') {
    if (candidate.ParseHeader(p, last) > 0 && (lastRoom == 0 || candidate.Room == lastRoom) &&
        candidate.Number > lastNumber) {
      lastNumber = candidate.Number;
      lastRoom = candidate.Room;
      if (p != buffer) {
        char* end = LineEndBefore(buffer, p);
        std::memset(end, 0, static_cast<std::size_t>(p - end));
        if (previous != SIZE_MAX) EndMessage(FItems[previous], end);
      }
      FItems.push_back(candidate);
      previous = FItems.size() - 1;
      p = const_cast<char*>(candidate.Line2Start);
    }
    // Past the current line and its line end.
    while (*p != '\0' && *p != '\r' && *p != '\n')
      ++p;
    if (*p == '\r') ++p;
    if (*p == '\n') ++p;
  }
  if (previous != SIZE_MAX) EndMessage(FItems[previous], last);
  // The records stay where they are from now on; give back what growing reserved.
  FItems.shrink_to_fit();
  return Count();
}

}  // namespace yuzulog
