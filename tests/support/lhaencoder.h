// Builds the compressed streams of the static-Huffman LHA methods (-lh4- to -lh7-) bit by bit, so
// that tests and the fuzz target can hand the decoder exactly the codes, blocks and matches they
// mean to test, including forms no archiver writes; BitWriter serves the other methods' streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "logdata/lhareader.h"

namespace yuzulog::testing {

// Bits, most significant first, as the LHA decoders read them.
class BitWriter {
 public:
  void Put(unsigned value, int count);
  // The bytes, the last one padded with zero bits.
  std::vector<std::uint8_t> Bytes() const;

 private:
  std::vector<int> FBits;
};

// A literal (Length 0) or a match of Length bytes from Distance back.
struct Token {
  unsigned Literal = 0;
  unsigned Length = 0;
  unsigned Distance = 0;
};
inline Token Lit(char c) {
  return {static_cast<unsigned char>(c), 0, 0};
}
inline Token Match(unsigned length, unsigned distance) {
  return {0, length, distance};
}

// What the tokens spell.
std::string Expand(const std::vector<Token>& tokens);

// The code of the literal/length code lengths or of the distances: a count in countBits, then
// each length in 3 bits (7 and up: 7, a 1 bit per extra, a 0 bit). special: after that many
// lengths, 2 bits count the zero lengths that follow.
void WriteSmallCode(BitWriter& w, const std::vector<std::uint8_t>& lengths, int countBits,
                    std::size_t special);
// A code of one symbol and no bits: a count of 0, then the symbol.
void WriteSingle(BitWriter& w, unsigned symbol, int countBits);

// A block: its tokens with flat codes over the symbols they use, or with the literal/length code
// lengths given. np and pbits are the method's distance symbols and their count's width (-lh4-
// and -lh5-: 14 and 4; -lh6-: 16 and 5; -lh7-: 17 and 5). A block of one distinct symbol gets
// single-symbol codes, as the original encoder writes it.
void WriteBlock(BitWriter& w, const std::vector<Token>& tokens, int np, int pbits,
                std::vector<std::uint8_t> cLengths = {});

struct LhaDecoded {
  lha::DecodeStatus Status;
  std::string Bytes;
};

// Decodes stream into size bytes by method, with padding of a value that must not matter.
LhaDecoded DecodeLhaStream(lha::Method method, std::vector<std::uint8_t> stream, std::size_t size);

}  // namespace yuzulog::testing
