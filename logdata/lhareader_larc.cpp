// The LZSS decoders of -lzs- and -lz5-: no Huffman stage, each item a flag bit, then a literal
// byte or a match given as a position in the decoder's ring buffer and a 4-bit length.
//
// -lzs- (2 kB ring) is a bit stream: a 1 bit and 8 bits of literal, or a 0 bit, 11 bits of
// position and 4 bits of length - 2. -lz5- (4 kB ring) is a byte stream: a flag byte for the next
// eight items, lowest bit first (1: literal), then a literal byte or two bytes: position low 8
// bits, then position high 4 bits and length - 3.
//
// Positions count in the ring, which the original decoder starts writing F bytes before its
// wrap (F is 17 for -lzs- and 18 for -lz5-, the longest match plus one); the ring starts filled
// with spaces, and for -lz5- with a fixed pattern the encoder may refer to.
#include <array>
#include <cstddef>
#include <cstdint>

#include "logdata/lhareader.h"
#include "logdata/lhareader_internal.h"

namespace yuzulog::lha::detail {
namespace {

struct LarcParams {
  std::size_t RingSize;
  std::size_t Lead;  // F: how far before the ring's wrap the first byte is written
};

constexpr LarcParams kLzs = {2048, 17};
constexpr LarcParams kLz5 = {4096, 18};

// The ring's start for -lz5-, indexed from the first byte the decoder writes (so index i is the
// byte the ring holds at the output's byte i, less one whole ring): after F spaces, thirteen
// copies of each byte value in turn, the values 0-255, the values 255-0, 128 zero bytes, then
// spaces.
struct Lz5Dictionary {
  std::array<std::uint8_t, 4096> Bytes;
  constexpr Lz5Dictionary() : Bytes() {
    std::size_t i = 0;
    for (; i < kLz5.Lead; ++i)
      Bytes[i] = ' ';
    for (unsigned v = 0; v < 256; ++v)
      for (int n = 0; n < 13; ++n)
        Bytes[i++] = static_cast<std::uint8_t>(v);
    for (unsigned v = 0; v < 256; ++v)
      Bytes[i++] = static_cast<std::uint8_t>(v);
    for (unsigned v = 0; v < 256; ++v)
      Bytes[i++] = static_cast<std::uint8_t>(255 - v);
    for (int n = 0; n < 128; ++n)
      Bytes[i++] = 0;
    while (i < Bytes.size())
      Bytes[i++] = ' ';
  }
  std::uint8_t operator[](std::size_t i) const { return Bytes[i]; }
};

constexpr Lz5Dictionary kLz5Dictionary;

// How far back the ring position lies from the output's next byte (at produced): 1 to the
// ring's size, the size meaning the byte the ring is about to overwrite.
std::size_t DistanceOf(const LarcParams& params, std::size_t produced, std::size_t position) {
  const std::size_t mask = params.RingSize - 1;
  return ((produced - params.Lead - position - 1) & mask) + 1;
}

}  // namespace

DecodeStatus DecodeLzs(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size) {
  BitReader br(in, inSize);
  std::uint8_t* const begin = out;
  std::uint8_t* const end = out + size;
  while (out < end) {
    if (br.Overrun) return DecodeStatus::Truncated;
    if (br.Get(1) == 1) {
      *out++ = static_cast<std::uint8_t>(br.Get(8));
      continue;
    }
    const std::size_t position = br.Get(11);
    const std::size_t length = br.Get(4) + 2;
    if (length > static_cast<std::size_t>(end - out))
      return br.PastEnd() ? DecodeStatus::Truncated : DecodeStatus::TooLong;
    const std::size_t produced = static_cast<std::size_t>(out - begin);
    CopyFromDictionary(out, produced, DistanceOf(kLzs, produced, position), length,
                       SpaceDictionary{}, kLzs.RingSize - 1);
    out += length;
  }
  return br.PastEnd() ? DecodeStatus::Truncated : DecodeStatus::Ok;
}

DecodeStatus DecodeLz5(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size) {
  const std::uint8_t* const inEnd = in + inSize;
  std::uint8_t* const begin = out;
  std::uint8_t* const end = out + size;
  unsigned flags = 0;  // the flag byte's bits not yet used, above a marker bit
  while (out < end) {
    if (flags <= 1) {
      if (in == inEnd) return DecodeStatus::Truncated;
      flags = 0x100u | *in++;
    }
    const bool literal = flags & 1;
    flags >>= 1;
    if (literal) {
      if (in == inEnd) return DecodeStatus::Truncated;
      *out++ = *in++;
      continue;
    }
    if (inEnd - in < 2) return DecodeStatus::Truncated;
    const std::size_t position = in[0] | (in[1] & 0xF0u) << 4;
    const std::size_t length = (in[1] & 0x0Fu) + 3;
    in += 2;
    if (length > static_cast<std::size_t>(end - out)) return DecodeStatus::TooLong;
    const std::size_t produced = static_cast<std::size_t>(out - begin);
    CopyFromDictionary(out, produced, DistanceOf(kLz5, produced, position), length, kLz5Dictionary,
                       kLz5.RingSize - 1);
    out += length;
  }
  return DecodeStatus::Ok;
}

}  // namespace yuzulog::lha::detail
