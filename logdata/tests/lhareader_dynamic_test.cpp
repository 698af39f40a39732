// The dynamic-Huffman decoders of -lh1- and -lh2- on streams whose first symbol is a match: its
// code in the adaptive tree as it starts is known, and a first match can only read the spaces
// the dictionary starts with. Longer streams are checked against the archiver's own in the
// archive tests.
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

// Writes the code of symbol in the adaptive tree of symbols leaves as it starts: leaves of
// symbols 0, 1, ... at nodes 2n-2, 2n-3, ...; inner node j (from n-2 down to 0) over the pair
// i, i-1 (i from 2n-2 down in steps of 2), where a 0 bit takes i and a 1 bit i-1.
void PutStartingCode(BitWriter& w, int symbols, int symbol) {
  const auto nodes = static_cast<std::size_t>(2 * symbols - 1);
  std::vector<int> parent(nodes), child(nodes);
  for (int j = symbols - 2, i = 2 * symbols - 2; j >= 0; --j, i -= 2) {
    child[static_cast<std::size_t>(j)] = i;
    parent[static_cast<std::size_t>(i)] = parent[static_cast<std::size_t>(i - 1)] = j;
  }
  std::vector<unsigned> bits;
  for (int node = 2 * symbols - 2 - symbol; node != 0;) {
    const int up = parent[static_cast<std::size_t>(node)];
    bits.push_back(node == child[static_cast<std::size_t>(up)] ? 0 : 1);
    node = up;
  }
  for (auto it = bits.rbegin(); it != bits.rend(); ++it)
    w.Put(*it, 1);
}

TEST(LhaDynamicDecodeTest, AFirstMatchReadsTheSpacesTheDictionaryStartsWith) {
  struct Case {
    const char* What;
    Method Kind;
    unsigned Length;
    std::vector<std::uint8_t> Stream;
  };
  auto lh1 = [](unsigned length, unsigned upperCode, int upperBits, unsigned low) {
    BitWriter w;
    PutStartingCode(w, 314, static_cast<int>(256 + length - 3));
    w.Put(upperCode, upperBits);
    w.Put(low, 6);
    return w.Bytes();
  };
  auto lh2 = [](unsigned symbol, int extraBits, unsigned low) {
    BitWriter w;
    PutStartingCode(w, 286, static_cast<int>(symbol));
    w.Put(0, extraBits);
    w.Put(low, 6);  // the distance code has one symbol yet: no bits
    return w.Bytes();
  };
  const Case cases[] = {
      {"-lh1- shortest match, distance 1", Method::Lh1, 3, lh1(3, 0b000, 3, 0)},
      {"-lh1- longest match, distance 4096", Method::Lh1, 60, lh1(60, 0xFF, 8, 63)},
      {"-lh2- distance 64", Method::Lh2, 10, lh2(256 + 10 - 3, 0, 63)},
      {"-lh2- length 32, after the escape symbol", Method::Lh2, 32, lh2(285, 8, 5)},
  };
  for (const Case& c : cases) {
    const LhaDecoded d = DecodeLhaStream(c.Kind, c.Stream, c.Length);
    EXPECT_EQ(d.Status, DecodeStatus::Ok) << c.What;
    EXPECT_EQ(d.Bytes, std::string(c.Length, ' ')) << c.What;
    EXPECT_EQ(DecodeLhaStream(c.Kind, c.Stream, c.Length - 1).Status, DecodeStatus::TooLong)
        << c.What;
    EXPECT_EQ(DecodeLhaStream(c.Kind, c.Stream, c.Length + 1).Status, DecodeStatus::Truncated)
        << c.What;
  }
}

}  // namespace
}  // namespace yuzulog::lha
