// The LHA CRC-16 against its definition, on both of its paths.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "logdata/lhareader.h"

namespace yuzulog::lha {
namespace {

TEST(LhaCrcTest, Crc16IsTheLhaCrc) {
  EXPECT_EQ(Crc16("", 0), 0);
  EXPECT_EQ(Crc16("123456789", 9), 0xBB3D);  // the check value of CRC-16/ARC
  // Against the definition, a bit at a time, at every length and alignment around the sizes
  // where the table loop and the carry-less multiplication take over, from any starting value.
  auto bitwise = [](const unsigned char* p, std::size_t n, unsigned crc) {
    for (std::size_t i = 0; i < n; ++i) {
      crc ^= p[i];
      for (int bit = 0; bit < 8; ++bit)
        crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return static_cast<std::uint16_t>(crc);
  };
  std::vector<unsigned char> bytes(70000);
  std::uint32_t seed = 12345;
  for (auto& b : bytes) {
    seed = seed * 1103515245 + 12345;
    b = static_cast<unsigned char>(seed >> 16);
  }
  for (std::size_t n = 0; n < 300; ++n)
    for (std::size_t offset = 0; offset < 3; ++offset) {
      const auto start = static_cast<std::uint16_t>(n * 7919 + offset);
      ASSERT_EQ(Crc16(bytes.data() + offset, n, start), bitwise(bytes.data() + offset, n, start))
          << n << " " << offset;
    }
  EXPECT_EQ(Crc16(bytes.data(), bytes.size(), 1), bitwise(bytes.data(), bytes.size(), 1));
}

}  // namespace
}  // namespace yuzulog::lha
