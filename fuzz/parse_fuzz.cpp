// Any bytes as a log text: the parser must cut them without reading outside the buffer, and every
// field accessor must stay inside it too. The fast cut must give the records and the rewritten
// bytes of the plain one, and a NUL inside the text must cut as a '?' in its place would.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "logdata/logdata.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yuzulog::TLogData log;
  yuzulog::ByteBlock block = yuzulog::AllocateZeroed(size + 1);
  if (size > 0) std::memcpy(block.get(), data, size);
  log.SetBuffer(std::move(block), size + 1);
  log.Parse();
  std::size_t sum = 0;
  for (const yuzulog::TLogMessage& m : log.Messages()) {
    sum += m.HandleName().size() + m.HandleField().size() + m.Title().size() + m.ID().size() +
           m.DateText().size() + m.RoomText().size() + m.NumberText().size() + m.RawTitle().size() +
           m.Text().size() + m.Body().size();
    sum += static_cast<std::size_t>(m.DateTime() & 1);
    if (m.TextEnd[0] != '\0' || m.BodyStart > m.TextEnd || m.Line2Start > m.BodyStart ||
        m.HeadStart >= m.Line2Start)
      __builtin_trap();
  }
  yuzulog::TLogData plain;
  yuzulog::ByteBlock copy = yuzulog::AllocateZeroed(size + 1);
  if (size > 0) std::memcpy(copy.get(), data, size);
  plain.SetBuffer(std::move(copy), size + 1);
  if (plain.ParsePlain() != log.Count()) __builtin_trap();
  if (std::memcmp(plain.Buffer(), log.Buffer(), size + 1) != 0) __builtin_trap();
  // A NUL of the text cuts as a '?' in its place would.
  yuzulog::TLogData questioned;
  yuzulog::ByteBlock marks = yuzulog::AllocateZeroed(size + 1);
  if (size > 0) std::memcpy(marks.get(), data, size);
  const std::size_t nuls = yuzulog::ReplaceNulBytes(marks.get(), size);
  questioned.SetBuffer(std::move(marks), size + 1);
  if (questioned.ParsePlain() != log.Count() || log.NulBytes != nuls || plain.NulBytes != nuls ||
      std::memcmp(questioned.Buffer(), log.Buffer(), size + 1) != 0)
    __builtin_trap();
  for (int i = 0; i < log.Count(); ++i) {
    const yuzulog::TLogMessage& a = log.Items(i);
    const yuzulog::TLogMessage& b = plain.Items(i);
    if (a.HeadStart - log.Buffer() != b.HeadStart - plain.Buffer() ||
        a.Line2Start - log.Buffer() != b.Line2Start - plain.Buffer() ||
        a.BodyStart - log.Buffer() != b.BodyStart - plain.Buffer() ||
        a.TextEnd - log.Buffer() != b.TextEnd - plain.Buffer() || a.Number != b.Number ||
        a.Room != b.Room || a.CommentTo != b.CommentTo)
      __builtin_trap();
  }
  return sum == static_cast<std::size_t>(-1);
}
