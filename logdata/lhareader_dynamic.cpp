// The dynamic-Huffman decoders of -lh1- and -lh2-, the methods of the late-1980s archivers and
// of their test versions. Literals and match lengths come in one adaptive Huffman code that
// encoder and decoder update after every symbol. -lh1- has a 4 kB dictionary, lengths 3-60, and
// distances as a fixed code for their upper 6 bits followed by the lower 6 bits as they are.
// -lh2- has an 8 kB dictionary, lengths 3-287 (symbol 285 is followed by 8 more bits) and an
// adaptive code for the distances' upper bits too, which gains a symbol each time the output
// passes another 64 bytes.
//
// The trees keep their nodes in descending order of counts, root first, siblings side by side,
// with the nodes of equal count grouped into blocks; incrementing a count swaps the node with the
// first of its block. When a count at the root reaches kMaxCount all counts are halved and the
// tree is built again. Encoder and decoder must take exactly the same steps, tie-breaking
// included, so every step below is part of the format.
#include <array>
#include <cstddef>
#include <cstdint>

#include "logdata/lhareader.h"
#include "logdata/lhareader_internal.h"

namespace yuzulog::lha::detail {
namespace {

constexpr int kThreshold = 3;                           // the shortest match
constexpr int kCharLeaves = 256 + 60 - kThreshold + 1;  // the most literal/length leaves (-lh1-)
constexpr int kCNodes = 2 * kCharLeaves;                // the literal/length tree's room
constexpr int kPNodes = 2 * 128;                        // the distance tree's room (-lh2-)
constexpr int kNodes = kCNodes + kPNodes;
constexpr int kRootC = 0;
constexpr int kRootP = kCNodes;
constexpr unsigned kMaxCount = 0x8000;
// The distance tree's root holds this count in place of its own, so that no block reaches it.
constexpr unsigned kPinned = 0xFFFF;

// Both adaptive trees in one set of arrays, as the original decoder keeps them: a node's child
// is the index of its first child (the second is the one before it), or ~symbol for a leaf;
// distance symbols are kept as leaves from kCharLeaves on.
class DynamicTrees {
 public:
  // The literal/length tree of symbols leaves; escape is the symbol followed by 8 more bits
  // (none when it is not below symbols).
  void StartC(int symbols, int escape) {
    FSymbols = symbols;
    FEscape = escape;
    for (int i = 0; i < kCNodes; ++i) {
      FStock[i] = i;
      FBlock[i] = 0;
    }
    int j = 2 * symbols - 2;
    for (int i = 0; i < symbols; ++i, --j) {
      FCount[j] = 1;
      FChild[j] = ~i;
      FLeaf[i] = j;
      FBlock[j] = 1;
    }
    FAvail = 2;
    FEdge[1] = symbols - 1;
    int i = 2 * symbols - 2;
    while (j >= 0) {
      const unsigned f = FCount[j] = FCount[i] + FCount[i - 1];
      FChild[j] = i;
      FParent[i] = FParent[i - 1] = j;
      if (f == FCount[j + 1]) {
        FEdge[FBlock[j] = FBlock[j + 1]] = j;
      } else {
        FEdge[FBlock[j] = FStock[FAvail++]] = j;
      }
      i -= 2;
      --j;
    }
  }

  // The distance tree: one symbol (0) to begin with; dictionary is the dictionary's size.
  void StartP(std::uint64_t dictionary) {
    FCount[kRootP] = 1;
    FChild[kRootP] = ~kCharLeaves;
    FLeaf[kCharLeaves] = kRootP;
    FEdge[FBlock[kRootP] = FStock[FAvail++]] = kRootP;
    FMostP = kRootP;
    FTotalP = 0;
    FDictionary = dictionary;
    FNextCount = 64;
  }

  // The next literal (0-255) or match length symbol (256 on, for length symbol - 253).
  int DecodeC(BitReader& br) {
    const int c = ~Walk(br, kRootC);
    UpdateC(c);
    return c == FEscape ? c + static_cast<int>(br.Get(8)) : c;
  }

  // The next distance's upper bits, once produced bytes have come out.
  unsigned DecodeP(BitReader& br, std::uint64_t produced) {
    while (produced > FNextCount) {
      NewPositionLeaf(static_cast<int>(FNextCount / 64));
      FNextCount += 64;
      if (FNextCount >= FDictionary) FNextCount = UINT64_MAX;
    }
    const int p = ~Walk(br, kRootP) - kCharLeaves;
    UpdateP(p);
    return static_cast<unsigned>(p);
  }

 private:
  // From a root to a leaf: a 0 bit takes a node's first child, a 1 bit the second.
  int Walk(BitReader& br, int root) const {
    int c = FChild[root];
    while (c > 0)
      c = FChild[c - static_cast<int>(br.Get(1))];
    return c;
  }

  // Halves the counts of the leaves between start and end and builds that tree again; the new
  // inner node of two goes before every node whose count is not above its own.
  void Rebuild(int start, int end) {
    int b = 0;
    int j = start;
    for (int i = start; i < end; ++i) {
      const int k = FChild[i];
      if (k < 0) {
        FCount[j] = (FCount[i] + 1) / 2;
        FChild[j] = k;
        ++j;
      }
      if (FEdge[b = FBlock[i]] == i) FStock[--FAvail] = b;
    }
    --j;
    int i = end - 1;
    int l = end - 2;
    while (i >= start) {
      while (i >= l) {
        FCount[i] = FCount[j];
        FChild[i] = FChild[j];
        --i;
        --j;
      }
      const unsigned f = FCount[l] + FCount[l + 1];
      int k = start;
      while (f < FCount[k])
        ++k;
      while (j >= k) {
        FCount[i] = FCount[j];
        FChild[i] = FChild[j];
        --i;
        --j;
      }
      FCount[i] = f;
      FChild[i] = l + 1;
      --i;
      l -= 2;
    }
    unsigned f = 0;
    for (i = start; i < end; ++i) {
      j = FChild[i];
      if (j < 0) {
        FLeaf[~j] = i;
      } else {
        FParent[j] = FParent[j - 1] = i;
      }
      const unsigned g = FCount[i];
      if (g == f) {
        FBlock[i] = b;
      } else {
        FEdge[b = FBlock[i] = FStock[FAvail++]] = i;
        f = g;
      }
    }
  }

  // Increments node p's count, first swapping it with the first node of its block; returns the
  // parent of where the count now is.
  int SwapIncrement(int p) {
    const int b = FBlock[p];
    const int q = FEdge[b];
    if (q != p || b == FBlock[p + 1]) {
      if (q != p) {
        const int r = FChild[p];
        const int s = FChild[q];
        FChild[p] = s;
        FChild[q] = r;
        if (r >= 0) {
          FParent[r] = FParent[r - 1] = q;
        } else {
          FLeaf[~r] = q;
        }
        if (s >= 0) {
          FParent[s] = FParent[s - 1] = p;
        } else {
          FLeaf[~s] = p;
        }
        p = q;
      }
      // p leaves its block, which starts one later; it joins the block before or starts one.
      ++FEdge[b];
      if (++FCount[p] == FCount[p - 1]) {
        FBlock[p] = FBlock[p - 1];
      } else {
        FEdge[FBlock[p] = FStock[FAvail++]] = p;
      }
    } else if (++FCount[p] == FCount[p - 1]) {
      // Alone in its block: the block goes, and p joins the one before.
      FStock[--FAvail] = b;
      FBlock[p] = FBlock[p - 1];
    }
    return FParent[p];
  }

  void UpdateC(int c) {
    if (FCount[kRootC] == kMaxCount) Rebuild(0, 2 * FSymbols - 1);
    ++FCount[kRootC];
    int q = FLeaf[c];
    do {
      q = SwapIncrement(q);
    } while (q != kRootC);
  }

  void UpdateP(int p) {
    if (FTotalP == kMaxCount) {
      Rebuild(kRootP, FMostP + 1);
      FTotalP = FCount[kRootP];
      FCount[kRootP] = kPinned;
    }
    int q = FLeaf[p + kCharLeaves];
    // While the tree is one leaf, that leaf (the root) counts its uses too; the count goes with
    // it when the first new leaf splits it off.
    if (q == kRootP) ++FCount[kRootP];
    while (q != kRootP)
      q = SwapIncrement(q);
    ++FTotalP;
  }

  // Splits the last node of the distance tree into itself and a new leaf for symbol p, of
  // count 0, then counts p once.
  void NewPositionLeaf(int p) {
    const int r = FMostP + 1;
    const int q = r + 1;
    FLeaf[~(FChild[r] = FChild[FMostP])] = r;
    FChild[q] = ~(p + kCharLeaves);
    FChild[FMostP] = q;
    FCount[r] = FCount[FMostP];
    FCount[q] = 0;
    FBlock[r] = FBlock[FMostP];
    if (FMostP == kRootP) {
      FCount[kRootP] = kPinned;
      ++FEdge[FBlock[kRootP]];
    }
    FParent[r] = FParent[q] = FMostP;
    FEdge[FBlock[q] = FStock[FAvail++]] = FLeaf[p + kCharLeaves] = FMostP = q;
    UpdateP(p);
  }

  int FChild[kNodes] = {};
  int FParent[kNodes] = {};
  int FBlock[kNodes] = {};
  int FEdge[kNodes] = {};
  int FStock[kNodes] = {};
  int FLeaf[kNodes / 2] = {};
  unsigned FCount[kNodes] = {};
  int FSymbols = 0;
  int FEscape = 0;
  int FAvail = 0;
  int FMostP = 0;
  unsigned FTotalP = 0;
  std::uint64_t FDictionary = 0;
  std::uint64_t FNextCount = 0;
};

// -lh1-'s fixed code of a distance's upper 6 bits: one code of 3 bits, 3 of 4, 8 of 5, 12 of 6,
// 24 of 7 and 16 of 8, assigned in order. The table maps the next 8 bits to the value and its
// code length.
struct PositionEntry {
  std::uint8_t Upper;
  std::uint8_t Length;
};

constexpr std::array<PositionEntry, 256> MakePositionTable() {
  constexpr int kPerLength[9] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
  std::array<PositionEntry, 256> table{};
  unsigned code = 0;
  unsigned value = 0;
  for (int len = 3; len <= 8; ++len) {
    for (int n = 0; n < kPerLength[len]; ++n, ++value, ++code) {
      const unsigned first = code << (8 - len);
      for (unsigned k = 0; k < (1u << (8 - len)); ++k)
        table[first + k] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(len)};
    }
    code <<= 1;
  }
  return table;
}

constexpr std::array<PositionEntry, 256> kPositionTable = MakePositionTable();

enum class Variant { Lh1, Lh2 };

DecodeStatus DecodeDynamic(Variant variant, const std::uint8_t* in, std::size_t inSize,
                           std::uint8_t* out, std::size_t size) {
  const auto trees = TryMake<DynamicTrees>();
  if (!trees) return DecodeStatus::OutOfMemory;
  const std::size_t dictionary = variant == Variant::Lh1 ? 4096 : 8192;
  if (variant == Variant::Lh1) {
    trees->StartC(kCharLeaves, 512);
  } else {
    trees->StartC(286, 285);
    trees->StartP(dictionary);
  }
  BitReader br(in, inSize);
  std::uint8_t* const begin = out;
  std::uint8_t* const end = out + size;
  while (out < end) {
    if (br.Overrun) return DecodeStatus::Truncated;
    const int c = trees->DecodeC(br);
    if (c < 256) {
      *out++ = static_cast<std::uint8_t>(c);
      continue;
    }
    const std::size_t length = static_cast<std::size_t>(c) - 256 + kThreshold;
    const std::size_t produced = static_cast<std::size_t>(out - begin);
    unsigned upper;
    if (variant == Variant::Lh1) {
      const PositionEntry e = kPositionTable[br.Peek(8)];
      br.Skip(e.Length);
      upper = e.Upper;
    } else {
      upper = trees->DecodeP(br, produced);
    }
    const std::size_t distance = (std::size_t{upper} << 6 | br.Get(6)) + 1;
    if (length > static_cast<std::size_t>(end - out))
      return br.PastEnd() ? DecodeStatus::Truncated : DecodeStatus::TooLong;
    CopyFromDictionary(out, produced, distance, length, SpaceDictionary{}, dictionary - 1);
    out += length;
  }
  return br.PastEnd() ? DecodeStatus::Truncated : DecodeStatus::Ok;
}

}  // namespace

DecodeStatus DecodeLh1(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size) {
  return DecodeDynamic(Variant::Lh1, in, inSize, out, size);
}

DecodeStatus DecodeLh2(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                       std::size_t size) {
  return DecodeDynamic(Variant::Lh2, in, inSize, out, size);
}

}  // namespace yuzulog::lha::detail
