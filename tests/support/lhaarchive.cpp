#include "tests/support/lhaarchive.h"

#include <cstddef>

#include "logdata/lhareader.h"

namespace yuzulog::testing {
namespace {

void PutLe(std::string& s, std::size_t at, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i)
    s[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}

}  // namespace

LhaLayout MakeLhaLayout(int level, const std::string& method, const std::string& name,
                        std::vector<std::pair<unsigned, std::string>> records, bool headerCrc,
                        int crcDelta, char attribute) {
  return {level, method, name, std::move(records), headerCrc, crcDelta, attribute};
}

std::string LhaMember(const LhaLayout& layout, std::string_view packed, std::uint32_t size,
                      std::uint16_t crc) {
  auto records = layout.Records;
  if (layout.Level >= 2) records.insert(records.begin(), {1, layout.Name});
  if (layout.Level > 0 && layout.HeaderCrc)
    records.insert(records.begin(), {0, std::string(2, '\0')});
  // Each record: its type, its data, then the next one's size (4 bytes at level 3, else 2).
  const int sizeBytes = layout.Level == 3 ? 4 : 2;
  std::string ext;
  for (std::size_t i = 0; i < records.size(); ++i) {
    ext += static_cast<char>(records[i].first) + records[i].second +
           std::string(static_cast<std::size_t>(sizeBytes), ' ');
    const std::size_t next =
        i + 1 < records.size() ? records[i + 1].second.size() + 1 + sizeBytes : 0;
    PutLe(ext, ext.size() - static_cast<std::size_t>(sizeBytes), next, sizeBytes);
  }
  const std::size_t firstExt = records.empty() ? 0 : records[0].second.size() + 1 + sizeBytes;
  const std::string padding(static_cast<std::size_t>(layout.Padding), '\0');
  std::string h;
  if (layout.Level == 3) {
    h = std::string(32, '\0') + ext + padding;
    PutLe(h, 0, 4, 2);
    PutLe(h, 21, crc, 2);
    h[23] = 'U';
    PutLe(h, 24, h.size(), 4);
    PutLe(h, 28, firstExt, 4);
  } else if (layout.Level == 2) {
    h = std::string(26, '\0') + ext + padding;
    PutLe(h, 0, h.size(), 2);
    PutLe(h, 21, crc, 2);
    h[23] = 'U';
    PutLe(h, 24, firstExt, 2);
  } else {
    const std::size_t base = 22 + layout.Name.size() + (layout.Level == 0 ? 2 : 5);
    h = std::string(base, '\0');
    h.replace(22, layout.Name.size(), layout.Name);
    h[0] = static_cast<char>(base - 2);
    h[21] = static_cast<char>(layout.Name.size());
    PutLe(h, 22 + layout.Name.size(), crc, 2);
    if (layout.Level == 1) {
      h[base - 3] = 'U';
      PutLe(h, base - 2, firstExt, 2);
    }
    h += ext;
  }
  h.replace(2, 5, layout.Method);
  PutLe(h, 7, packed.size() + (layout.Level == 1 ? ext.size() : 0), 4);
  PutLe(h, 11, size, 4);
  h[19] = layout.Attribute;
  h[20] = static_cast<char>(layout.Level);
  if (layout.Level < 2) {
    unsigned sum = 0;
    for (std::size_t i = 2; i < static_cast<unsigned char>(h[0]) + 2u; ++i)
      sum += static_cast<unsigned char>(h[i]);
    h[1] = static_cast<char>(sum);
  }
  if (layout.Level > 0 && layout.HeaderCrc) {
    const std::size_t at = (layout.Level == 3   ? 32
                            : layout.Level == 2 ? 26
                                                : static_cast<unsigned char>(h[0]) + 2u) +
                           1;
    PutLe(h, at, static_cast<std::uint16_t>(lha::Crc16(h.data(), h.size()) + layout.CrcDelta), 2);
  }
  h += packed;
  return h;
}

std::string LhaArchive(const LhaLayout& layout, std::string_view data) {
  return LhaMember(layout, data, static_cast<std::uint32_t>(data.size()),
                   lha::Crc16(data.data(), data.size())) +
         '\0';
}

}  // namespace yuzulog::testing
