// The LZSS decoders of -lzs- and -lz5-: positions in the ring, the ring's starting bytes, and
// streams cut short.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "logdata/lhareader.h"
#include "tests/support/lhaencoder.h"

namespace yuzulog::lha {
namespace {

using testing::BitWriter;
using testing::DecodeLhaStream;
using testing::LhaDecoded;

struct Item {
  int Literal = -1;  // a literal byte, or -1 for a match
  unsigned Position = 0;
  unsigned Length = 0;
};
Item Byte(char c) {
  return {static_cast<unsigned char>(c), 0, 0};
}
Item Ring(unsigned position, unsigned length) {
  return {-1, position, length};
}

// -lz5-: a flag byte for every eight items (1: literal), then each item's bytes.
std::vector<std::uint8_t> Lz5Stream(const std::vector<Item>& items) {
  std::vector<std::uint8_t> out;
  std::size_t flagAt = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i % 8 == 0) {
      flagAt = out.size();
      out.push_back(0);
    }
    const Item& it = items[i];
    if (it.Literal >= 0) {
      out[flagAt] |= static_cast<std::uint8_t>(1u << (i % 8));
      out.push_back(static_cast<std::uint8_t>(it.Literal));
    } else {
      out.push_back(static_cast<std::uint8_t>(it.Position));
      out.push_back(static_cast<std::uint8_t>((it.Position >> 4 & 0xF0) | (it.Length - 3)));
    }
  }
  return out;
}

// -lzs-: a 1 bit and 8 bits of literal, or a 0 bit, 11 bits of position and 4 of length - 2.
std::vector<std::uint8_t> LzsStream(const std::vector<Item>& items) {
  BitWriter w;
  for (const Item& it : items) {
    if (it.Literal >= 0) {
      w.Put(1, 1);
      w.Put(static_cast<unsigned>(it.Literal), 8);
    } else {
      w.Put(0, 1);
      w.Put(it.Position, 11);
      w.Put(it.Length - 2, 4);
    }
  }
  return w.Bytes();
}

TEST(LhaLarcDecodeTest, PositionsCountInTheRingAndItsStartingBytes) {
  // The first byte goes to ring position 4096 - 18 for -lz5- (2048 - 17 for -lzs-). The -lz5-
  // ring starts with thirteen copies of each byte value, the values up and down, 128 zeros and
  // spaces; the -lzs- ring with spaces.
  struct Case {
    const char* What;
    Method Kind;
    std::vector<Item> Items;
    std::string Expected;
  };
  const std::string up = "0123456789";
  const Case cases[] = {
      {"thirteen of a value", Method::Lz5, {Ring('A' * 13, 13)}, std::string(13, 'A')},
      {"values up", Method::Lz5, {Ring(3328 + '0', 10)}, up},
      {"values down", Method::Lz5, {Ring(3584 + 255 - '9', 10)}, "9876543210"},
      {"zeros, then spaces", Method::Lz5, {Ring(3968 - 3, 6)}, std::string(3, '\0') + "   "},
      {"the output itself, overlapping",
       Method::Lz5,
       {Byte('x'), Byte('y'), Byte('z'), Ring(4078, 18)},
       "xyzxyzxyzxyzxyzxyzxyz"},
      {"the last spaces, then the ring's first bytes",
       Method::Lz5,
       {Ring(4094, 4)},
       std::string("  \0\0", 4)},
      {"lzs spaces", Method::Lzs, {Ring(100, 17)}, std::string(17, ' ')},
      {"lzs output, shortest match", Method::Lzs, {Byte('a'), Byte('b'), Ring(2031, 2)}, "abab"},
  };
  for (const Case& c : cases) {
    const auto stream = c.Kind == Method::Lz5 ? Lz5Stream(c.Items) : LzsStream(c.Items);
    const LhaDecoded d = DecodeLhaStream(c.Kind, stream, c.Expected.size());
    EXPECT_EQ(d.Status, DecodeStatus::Ok) << c.What;
    EXPECT_EQ(d.Bytes, c.Expected) << c.What;
  }
}

TEST(LhaLarcDecodeTest, StreamsCutShortAreTruncatedAndMatchesPastTheEndTooLong) {
  for (Method kind : {Method::Lzs, Method::Lz5}) {
    const unsigned first = kind == Method::Lz5 ? 4078 : 2031;  // where the output starts
    const std::vector<Item> items = {Byte('a'), Byte('b'), Byte('c'), Ring(first, 9), Byte('d')};
    const auto stream = kind == Method::Lz5 ? Lz5Stream(items) : LzsStream(items);
    const LhaDecoded d = DecodeLhaStream(kind, stream, 13);
    ASSERT_EQ(d.Status, DecodeStatus::Ok);
    EXPECT_EQ(d.Bytes, "abcabcabcabcd");
    for (std::size_t cut = 0; cut < stream.size(); ++cut)
      EXPECT_EQ(DecodeLhaStream(kind, {stream.begin(), stream.begin() + static_cast<long>(cut)}, 13)
                    .Status,
                DecodeStatus::Truncated)
          << cut;
    EXPECT_EQ(DecodeLhaStream(kind, stream, 10).Status, DecodeStatus::TooLong);
  }
}

}  // namespace
}  // namespace yuzulog::lha
