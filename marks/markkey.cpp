#include "marks/markkey.h"

#include <algorithm>
#include <cstring>

#include "logdata/logdata.h"

namespace yuzulog {
namespace {

constexpr std::size_t kWhenColumn = 7;

// The bytes of a header field up to its width, ending early at a line end or at the NUL that
// ends the message (a header line shorter than its columns), never past the buffer's last byte.
std::string_view HeaderField(const char* start, std::size_t width, const char* last) {
  if (start >= last) return {};
  const std::size_t avail = std::min(width, static_cast<std::size_t>(last - start));
  std::size_t n = 0;
  while (n < avail && static_cast<unsigned char>(start[n]) >= 0x20)
    ++n;
  return {start, n};
}

}  // namespace

MarkKey MakeMarkKey(std::int32_t room, std::int32_t number, std::string_view id,
                    std::string_view when) {
  MarkKey key;
  key.Room = room;
  key.Number = number;
  key.IdLength = static_cast<std::uint8_t>(std::min(id.size(), MarkKey::kIdSize));
  key.WhenLength = static_cast<std::uint8_t>(std::min(when.size(), MarkKey::kWhenSize));
  std::memcpy(key.Id, id.data(), key.IdLength);
  std::memcpy(key.When, when.data(), key.WhenLength);
  return key;
}

MarkKey MarkKeyOf(const TLogMessage& m) {
  const char* last = m.Owner->Buffer() + m.Owner->BufferSize() - 1;
  return MakeMarkKey(m.Room, m.Number, m.ID(),
                     HeaderField(m.Line2Start + kWhenColumn, MarkKey::kWhenSize, last));
}

std::uint64_t HashMarkKey(const MarkKey& key) {
  std::uint64_t words[4];
  std::memcpy(words, &key, sizeof words);
  // Each word through a multiply-xorshift step: the room and number word alone would put every
  // copy of one number's messages in one bucket.
  std::uint64_t h = 0x9E3779B97F4A7C15ull;
  for (std::uint64_t w : words) {
    h ^= w;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
  }
  return h;
}

}  // namespace yuzulog
