// What the pieces of our LHA reader share, private to logdata/: little-endian fields, the bit
// reader of compressed data, allocation that reports failure instead of ending the program, and
// each decoder's entry point. Only lhareader*.cpp include it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "logdata/lhareader.h"

namespace yuzulog::lha::detail {

inline std::uint16_t Le16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::uint64_t LoadLe64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

inline std::uint64_t LoadBe64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  return v;
}

// An owning array of count elements, left uninitialised, or empty when the memory cannot be had:
// a size read from an archive must cost that file its load, not the program its life.
template <class T>
std::unique_ptr<T[]> TryAllocate(std::size_t count) noexcept {
  try {
    return std::make_unique_for_overwrite<T[]>(count);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

template <class T>
std::unique_ptr<T> TryMake() noexcept {
  try {
    return std::make_unique<T>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// Bits taken so far from data that starts at start, when the next word loads from next and
// count bits are loaded but not taken.
inline std::uint64_t TakenBits(const std::uint8_t* start, const std::uint8_t* next,
                               unsigned count) {
  return static_cast<std::uint64_t>(next - start) * 8 - count;
}

// Reads compressed data most significant bit first. Bits holds Count valid bits left-aligned; a
// refill loads a whole word and leaves 56 to 63 bits. Limit lies 8 bytes past the data (inside
// the kInputPadding bytes that follow it): once Next passes it, more bits have been taken than
// the data holds, whatever the refills left unused.
//
// The decoders' inner loops keep a BitReader in a local variable and hand copies to the
// functions that read block headers, so that its fields stay in registers.
struct BitReader {
  const std::uint8_t* Start;
  std::size_t Size;  // bytes of data from Start
  const std::uint8_t* Next;
  const std::uint8_t* Limit;
  std::uint64_t Bits = 0;
  unsigned Count = 0;
  bool Overrun = false;

  BitReader(const std::uint8_t* data, std::size_t size)
      : Start(data), Size(size), Next(data), Limit(data + size + 8) {}

  // Whether more bits were taken than the data holds: whatever failed, the data was cut short.
  bool PastEnd() const {
    return Overrun || TakenBits(Start, Next, Count) > static_cast<std::uint64_t>(Size) * 8;
  }

  // Tops Bits up to 56-63 bits. False once the loads have passed Limit: the data is cut short,
  // and the reader goes on inside the padding (with Overrun set) so a caller may finish a table
  // before it looks.
  bool Refill() {
    Bits |= LoadBe64(Next) >> Count;
    Next += (63 - Count) >> 3;
    Count |= 56;
    if (Next <= Limit) [[likely]]
      return true;
    Overrun = true;
    Next = Limit;
    return false;
  }

  // The next n bits, 0 <= n <= 16, without taking them.
  unsigned Peek(unsigned n) {
    if (Count < n) Refill();
    return static_cast<unsigned>((Bits >> (63 - n)) >> 1);
  }
  void Skip(unsigned n) {
    Bits <<= n;
    Count -= n;
  }
  // n bits, 0 <= n <= 16.
  unsigned Get(unsigned n) {
    const unsigned v = Peek(n);
    Skip(n);
    return v;
  }
};

// Copies a match of length bytes from distance back to out, where the output so far (produced
// bytes) ends. The older methods start their dictionary with fixed bytes and may reach into it
// before the output's first byte: the byte j places before it (1 <= j <= mask + 1, the
// dictionary's size, which distance never exceeds) is dictionary[-j & mask]. Byte by byte: a
// match may overlap the bytes it writes, repeating them.
template <class Dictionary>
inline void CopyFromDictionary(std::uint8_t* out, std::size_t produced, std::size_t distance,
                               std::size_t length, const Dictionary& dictionary, std::size_t mask) {
  std::size_t i = 0;
  if (distance > produced) {
    const std::size_t before = distance - produced < length ? distance - produced : length;
    for (; i < before; ++i)
      out[i] = dictionary[(produced + i - distance) & mask];
  }
  std::uint8_t* const begin = out - produced;
  for (; i < length; ++i)
    out[i] = begin[produced + i - distance];
}

// The dictionary before the output of most of the older methods: spaces, as their original
// decoders start it.
struct SpaceDictionary {
  std::uint8_t operator[](std::size_t) const { return ' '; }
};

// The parameters of the static-Huffman methods -lh4- to -lh7-.
struct StaticParams {
  unsigned DictBits;
  int NP;  // distance symbols
  int PBits;
};

// The static-Huffman decoder (lhareader_huffman.cpp), with the contract of Decode.
DecodeStatus DecodeStatic(const StaticParams& params, const std::uint8_t* in, std::size_t inSize,
                          std::uint8_t* out, std::size_t size, std::uint16_t* crc,
                          DecodeNotes* notes);

// The decoders of the older methods, with the contract of Decode except for the CRC, which the
// caller takes: -lh1- and -lh2- (lhareader_dynamic.cpp), -lh3- (lhareader_huffman.cpp), -lzs-
// and -lz5- (lhareader_larc.cpp). Unlike -lh4- to -lh7-, held to end where their data ends as
// libarchive holds them, these may leave bytes of their data unused: no other reader here sets a
// rule for them, and the CRC decides.
DecodeStatus DecodeLh1(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size);
DecodeStatus DecodeLh2(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size);
DecodeStatus DecodeLh3(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size);
DecodeStatus DecodeLzs(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size);
DecodeStatus DecodeLz5(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size);

}  // namespace yuzulog::lha::detail
