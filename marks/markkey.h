// How a read mark or a bookmark names a message: its room, its number, the writer's ID and the
// date and time of header line 2, all as the log's own bytes. The number alone is not enough, a
// room's numbers start again after a reset; the bytes of the header are, and they are the same in
// a file extracted again from its archive, so a mark outlives every reload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "logdata/logmessage.h"

namespace yuzulog {

// 32 bytes without padding, compared and hashed as plain memory; the unused bytes of Id and When
// stay zero.
struct MarkKey {
  static constexpr std::size_t kIdSize = 8;     // columns 12-19 of header line 1
  static constexpr std::size_t kWhenSize = 14;  // "YY/MM/DD hh:mm", columns 7-20 of line 2

  std::int32_t Room = 0;
  std::int32_t Number = 0;
  std::uint8_t IdLength = 0;
  std::uint8_t WhenLength = 0;
  char Id[kIdSize] = {};
  char When[kWhenSize] = {};

  std::string_view IdText() const { return {Id, IdLength}; }
  std::string_view WhenText() const { return {When, WhenLength}; }
  friend bool operator==(const MarkKey&, const MarkKey&) = default;
};
static_assert(sizeof(MarkKey) == 32);

// A key from its parts; id and when longer than their fields are cut to them.
MarkKey MakeMarkKey(std::int32_t room, std::int32_t number, std::string_view id,
                    std::string_view when);

// The key of a loaded message. Reads only the message's header bytes (never the cached date of
// TLogMessage::DateTime), so it may run on any thread while the file stays loaded.
MarkKey MarkKeyOf(const TLogMessage& m);

std::uint64_t HashMarkKey(const MarkKey& key);

}  // namespace yuzulog
