// Any bytes as a log text: the parser must cut them without reading outside the buffer, and every
// field accessor must stay inside it too.
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
  return sum == static_cast<std::size_t>(-1);
}
