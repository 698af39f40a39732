// Builds LHA archives byte by byte: a member's header laid out as a test asks (header level 0-3,
// method, name, extended-header records, a header CRC that is right, missing or wrong), followed
// by its data. Tests and the fuzz target use it where a real archiver cannot write what they
// need.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace yuzulog::testing {

struct LhaLayout {
  int Level = 2;
  std::string Method = "-lh0-";
  std::string Name = "A.TXT";  // levels 0 and 1: in the base header; levels 2, 3: a name record
  std::vector<std::pair<unsigned, std::string>> Records;  // further extended headers
  bool HeaderCrc = true;                                  // levels 1 to 3
  int CrcDelta = 0;                                       // added to the header CRC
  char Attribute = 0x20;
  int Padding = 0;  // levels 2 and 3: bytes after the records that the header's size counts
};

LhaLayout MakeLhaLayout(int level, const std::string& method, const std::string& name,
                        std::vector<std::pair<unsigned, std::string>> records = {},
                        bool headerCrc = true, int crcDelta = 0, char attribute = 0x20);

// One member: its header, declaring size bytes whose CRC-16 is crc, then packed as its data.
std::string LhaMember(const LhaLayout& layout, std::string_view packed, std::uint32_t size,
                      std::uint16_t crc);

// An archive of one member that holds data as it is (the layout's method decides what a reader
// makes of it), then the end mark.
std::string LhaArchive(const LhaLayout& layout, std::string_view data);

}  // namespace yuzulog::testing
