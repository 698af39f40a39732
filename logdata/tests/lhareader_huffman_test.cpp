// The static-Huffman decoder on streams built bit by bit: matches, blocks, code tables and the
// stream's end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "logdata/lhareader.h"
#include "tests/support/lhaencoder.h"

namespace yuzulog::lha {
namespace {

using testing::BitWriter;
using testing::Expand;
using testing::Lit;
using testing::Match;
using testing::Token;
using testing::WriteBlock;
using testing::WriteSingle;
using testing::WriteSmallCode;

using Decoded = testing::LhaDecoded;

Decoded DecodeBytes(Method method, std::vector<std::uint8_t> stream, std::size_t size) {
  return testing::DecodeLhaStream(method, std::move(stream), size);
}

// np and pbits of -lh5-.
constexpr int kNp5 = 14;
constexpr int kPBits5 = 4;

std::vector<std::uint8_t> Lh5Stream(const std::vector<std::vector<Token>>& blocks) {
  BitWriter w;
  for (const auto& b : blocks)
    WriteBlock(w, b, kNp5, kPBits5);
  return w.Bytes();
}

TEST(LhaDecodeTest, OverlappingMatchesRepeatTheirPattern) {
  // Every distance up to 40 with lengths that end mid-chunk and around the chunk sizes, maximal
  // runs, a match ending exactly at the last byte, and a match near the end where no chunk fits.
  // Once near the output's start and end, where matches are copied with care, and once far from
  // both, where whole chunks are copied and literals take the matches' way.
  std::vector<Token> t;
  for (char c = 'a'; c <= 'q'; ++c)
    t.push_back(Lit(c));
  for (unsigned d = 1; d <= 40; ++d)
    t.push_back(Match(3 + d * 5 % 37, d));
  for (unsigned length : {15u, 16u, 17u, 31u, 32u, 33u, 48u})
    t.push_back(Match(length, 20));
  t.push_back(Match(256, 1));
  t.push_back(Match(256, 16));
  t.push_back(Lit('z'));
  t.push_back(Match(7, 3));
  std::vector<Token> far;
  for (int i = 0; i < 400; ++i)
    far.push_back(Lit(static_cast<char>('A' + i % 26)));
  far.insert(far.end(), t.begin(), t.end());
  far.insert(far.end(), t.begin(), t.begin() + 17);
  for (int i = 0; i < 300; ++i)
    far.push_back(Lit('.'));
  for (const auto& tokens : {t, far}) {
    const std::string expected = Expand(tokens);
    const Decoded d = DecodeBytes(Method::Lh5, Lh5Stream({tokens}), expected.size());
    ASSERT_EQ(d.Status, DecodeStatus::Ok);
    EXPECT_EQ(d.Bytes, expected);
  }
}

TEST(LhaDecodeTest, MatchesReachAcrossBlockBoundaries) {
  std::vector<Token> first, second, third;
  for (char c : std::string("0123456789abcdefghijklmnopqrstuvwxyz"))
    first.push_back(Lit(c));
  second = {Match(20, 36), Lit('!'), Match(5, 1)};  // the whole first block lies behind
  third = {Match(30, 40)};
  const std::string expected = Expand([&] {
    std::vector<Token> all = first;
    all.insert(all.end(), second.begin(), second.end());
    all.insert(all.end(), third.begin(), third.end());
    return all;
  }());
  const Decoded d = DecodeBytes(Method::Lh5, Lh5Stream({first, second, third}), expected.size());
  ASSERT_EQ(d.Status, DecodeStatus::Ok);
  EXPECT_EQ(d.Bytes, expected);
}

TEST(LhaDecodeTest, DistancesMayReachTheFirstByteButNotBeforeIt) {
  const std::vector<Token> ok = {Lit('x'), Lit('y'), Lit('z'), Match(10, 3)};
  EXPECT_EQ(DecodeBytes(Method::Lh5, Lh5Stream({ok}), 13).Status, DecodeStatus::Ok);
  const std::vector<Token> early = {Lit('x'), Lit('y'), Lit('z'), Match(10, 4)};
  EXPECT_EQ(DecodeBytes(Method::Lh5, Lh5Stream({early}), 13).Status, DecodeStatus::BadDistance);
  // -lh4- sends distances of up to 8 kB but its dictionary holds 4 kB.
  std::vector<Token> far;
  for (int i = 0; i < 4200; ++i)
    far.push_back(Lit(static_cast<char>('a' + i % 26)));
  far.push_back(Match(3, 4097));
  EXPECT_EQ(DecodeBytes(Method::Lh4, Lh5Stream({far}), 4203).Status, DecodeStatus::BadDistance);
  far.back() = Match(3, 4096);
  EXPECT_EQ(DecodeBytes(Method::Lh4, Lh5Stream({far}), 4203).Status, DecodeStatus::Ok);
  EXPECT_EQ(DecodeBytes(Method::Lh5, Lh5Stream({far}), 4203).Status, DecodeStatus::Ok);
}

TEST(LhaDecodeTest, OutputMustEndWhereTheStreamDoes) {
  const std::vector<Token> t = {Lit('a'), Lit('b'), Match(40, 2)};
  const std::vector<std::uint8_t> stream = Lh5Stream({t});
  EXPECT_EQ(DecodeBytes(Method::Lh5, stream, 42).Status, DecodeStatus::Ok);
  EXPECT_EQ(DecodeBytes(Method::Lh5, stream, 41).Status, DecodeStatus::TooLong);  // match past it
  EXPECT_EQ(DecodeBytes(Method::Lh5, stream, 2).Status, DecodeStatus::TooLong);   // symbol left
  EXPECT_EQ(DecodeBytes(Method::Lh5, stream, 43).Status, DecodeStatus::Truncated);
  std::vector<std::uint8_t> longer = stream;
  longer.push_back(0);
  EXPECT_EQ(DecodeBytes(Method::Lh5, longer, 42).Status, DecodeStatus::TooLong);  // byte left
  for (std::size_t cut = 0; cut < stream.size(); ++cut)
    EXPECT_EQ(
        DecodeBytes(Method::Lh5, {stream.begin(), stream.begin() + static_cast<long>(cut)}, 42)
            .Status,
        DecodeStatus::Truncated)
        << cut;
  EXPECT_EQ(DecodeBytes(Method::Lh5, {}, 0).Status, DecodeStatus::Ok);
}

TEST(LhaDecodeTest, OneSymbolBlocksReadNoBitsPerSymbol) {
  // The original encoder's form for a block of one distinct symbol: single-symbol codes.
  const std::vector<Token> t(300, Lit('q'));
  const Decoded d = DecodeBytes(
      Method::Lh7,
      [&] {
        BitWriter w;
        WriteBlock(w, t, 17, 5);
        return w.Bytes();
      }(),
      300);
  ASSERT_EQ(d.Status, DecodeStatus::Ok);
  EXPECT_EQ(d.Bytes, std::string(300, 'q'));
}

TEST(LhaDecodeTest, CodesLongerThanTheDirectTableDecode) {
  // Literal/length lengths 1, 2, ..., 15, 16, 16 and one match length: every code length there
  // is, so codes beyond the direct table's width are read too.
  std::vector<std::uint8_t> lengths(510, 0);
  const std::string alphabet = "etaoinshrdlucmwf";
  for (std::size_t i = 0; i < alphabet.size(); ++i)
    lengths[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i + 1);
  lengths[256 + 7] = 16;  // match length 10
  std::vector<Token> t;
  for (int round = 0; round < 3; ++round)
    for (char c : alphabet)
      t.push_back(Lit(c));
  t.push_back(Match(10, 5));
  BitWriter w;
  WriteBlock(w, t, 17, 5, lengths);
  const std::string expected = Expand(t);
  const Decoded d = DecodeBytes(Method::Lh7, w.Bytes(), expected.size());
  ASSERT_EQ(d.Status, DecodeStatus::Ok);
  EXPECT_EQ(d.Bytes, expected);
}

TEST(LhaDecodeTest, MalformedCodeTablesFail) {
  auto block = [](auto writeCodes) {
    BitWriter w;
    w.Put(1, 16);
    writeCodes(w);
    return DecodeBytes(Method::Lh5, w.Bytes(), 1).Status;
  };
  // The code-length code over-subscribed (three codes of 1 bit) and incomplete (one of 1 bit).
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSmallCode(w, {1, 1, 1, 0}, 5, 3);
            }),
            DecodeStatus::BadTable);
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSmallCode(w, {0, 0, 0, 1}, 5, 3);
            }),
            DecodeStatus::BadTable);
  // A length above 16: 7 and ten more.
  EXPECT_EQ(block([](BitWriter& w) {
              w.Put(1, 5);
              w.Put(7, 3);
              w.Put(0x3FF, 10);
              w.Put(0, 1);
            }),
            DecodeStatus::BadTable);
  // More lengths than symbols, single symbols out of range.
  EXPECT_EQ(block([](BitWriter& w) { w.Put(20, 5); }), DecodeStatus::BadTable);
  EXPECT_EQ(block([](BitWriter& w) { WriteSingle(w, 19, 5); }), DecodeStatus::BadTable);
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSingle(w, 0, 5);
              WriteSingle(w, 510, 9);
            }),
            DecodeStatus::BadTable);
  // Literal/length lengths over-subscribed: the code-length code sends length 1 (symbol 3) for
  // three symbols.
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSingle(w, 3, 5);
              w.Put(3, 9);
            }),
            DecodeStatus::BadTable);
  // A zero run past the last literal/length symbol.
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSingle(w, 2, 5);
              w.Put(500, 9);
              w.Put(511, 9);
            }),
            DecodeStatus::BadTable);
  // The distance code over-subscribed after valid literal codes.
  EXPECT_EQ(block([](BitWriter& w) {
              WriteSingle(w, 0, 5);
              WriteSingle(w, 'a', 9);
              WriteSmallCode(w, {1, 1, 1}, 4, 0);
            }),
            DecodeStatus::BadTable);
  // A block of no symbols.
  BitWriter empty;
  empty.Put(0, 16);
  EXPECT_EQ(DecodeBytes(Method::Lh5, empty.Bytes(), 1).Status, DecodeStatus::BadBlock);
}

TEST(LhaDecodeTest, Lh3BlocksReadTheirCodesAndReachIntoTheStartingSpaces) {
  // -lh3-: a block of two matches of length 5, whose literal/length code is the single-symbol
  // form (three lengths of 1, then the symbol in 9 bits) and whose distance code is the fixed
  // one (a 0 bit); the first match reaches 8192 bytes back into the spaces the dictionary starts
  // with (upper bits 127: the last code of 9 bits), the second 1 byte back. Then a block with
  // sent distance lengths: two codes of 1 bit.
  BitWriter w;
  w.Put(2, 16);
  for (int i = 0; i < 3; ++i)
    w.Put(0b10000, 5);  // length 1
  w.Put(256 + 5 - 3, 9);
  w.Put(0, 1);
  w.Put(0x1FF, 9);  // upper 127
  w.Put(63, 6);
  w.Put(0b00, 2);  // upper 0
  w.Put(0, 6);
  // Literal/length code: 'a' and the match of length 4 (symbol 257), 1 bit each.
  w.Put(1, 16);
  for (int s = 0; s < 286; ++s)
    if (s == 'a' || s == 257)
      w.Put(0b10000, 5);
    else
      w.Put(0, 1);
  w.Put(1, 1);
  for (int s = 0; s < 128; ++s)
    w.Put(s < 2 ? 1 : 0, 4);
  w.Put(0, 1);  // 'a'
  const Decoded d = DecodeBytes(Method::Lh3, w.Bytes(), 11);
  EXPECT_EQ(d.Status, DecodeStatus::Ok);
  EXPECT_EQ(d.Bytes, std::string(10, ' ') + "a");
}

}  // namespace
}  // namespace yuzulog::lha
