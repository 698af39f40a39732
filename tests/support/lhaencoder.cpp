#include "tests/support/lhaencoder.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace yuzulog::testing {
namespace {

// Lengths of a complete code over the used symbols, as even as it gets.
std::vector<std::uint8_t> FlatLengths(std::size_t total, const std::vector<bool>& used) {
  std::vector<unsigned> symbols;
  for (unsigned s = 0; s < total; ++s)
    if (used[s]) symbols.push_back(s);
  std::vector<std::uint8_t> lengths(total, 0);
  const unsigned k = static_cast<unsigned>(symbols.size());
  if (k == 0) return lengths;
  const unsigned bits = std::bit_width(k) - 1;
  const unsigned longer = 2 * (k - (1u << bits));
  for (unsigned i = 0; i < k; ++i)
    lengths[symbols[i]] = static_cast<std::uint8_t>(i < k - longer ? bits : bits + 1);
  return lengths;
}

std::vector<unsigned> CanonicalCodes(const std::vector<std::uint8_t>& lengths) {
  std::vector<unsigned> codes(lengths.size());
  unsigned code = 0;
  for (int len = 1; len <= 16; ++len) {
    for (std::size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s] == len) codes[s] = code++;
    code <<= 1;
  }
  return codes;
}

std::size_t UsedCount(const std::vector<std::uint8_t>& lengths) {
  std::size_t n = lengths.size();
  while (n > 0 && lengths[n - 1] == 0)
    --n;
  return n;
}

}  // namespace

void BitWriter::Put(unsigned value, int count) {
  for (int i = count - 1; i >= 0; --i)
    FBits.push_back((value >> i) & 1);
}

std::vector<std::uint8_t> BitWriter::Bytes() const {
  std::vector<std::uint8_t> bytes((FBits.size() + 7) / 8);
  for (std::size_t i = 0; i < FBits.size(); ++i)
    bytes[i / 8] |= static_cast<std::uint8_t>(FBits[i] << (7 - i % 8));
  return bytes;
}

void WriteSmallCode(BitWriter& w, const std::vector<std::uint8_t>& lengths, int countBits,
                    std::size_t special) {
  const std::size_t n = UsedCount(lengths);
  w.Put(static_cast<unsigned>(n), countBits);
  for (std::size_t i = 0; i < n;) {
    const unsigned len = lengths[i++];
    if (len < 7) {
      w.Put(len, 3);
    } else {
      w.Put(7, 3);
      w.Put((1u << (len - 7)) - 1, static_cast<int>(len - 7));
      w.Put(0, 1);
    }
    if (i == special) {
      unsigned zeros = 0;
      while (zeros < 3 && i + zeros < n && lengths[i + zeros] == 0)
        ++zeros;
      w.Put(zeros, 2);
      i += zeros;
    }
  }
}

void WriteSingle(BitWriter& w, unsigned symbol, int countBits) {
  w.Put(0, countBits);
  w.Put(symbol, countBits);
}

void WriteBlock(BitWriter& w, const std::vector<Token>& tokens, int np, int pbits,
                std::vector<std::uint8_t> cLengths) {
  std::vector<bool> cUsed(510), pUsed(static_cast<std::size_t>(np));
  auto cSymbol = [](const Token& t) { return t.Length ? t.Length + 253 : t.Literal; };
  auto pSymbol = [](const Token& t) {
    return static_cast<unsigned>(std::bit_width(t.Distance - 1));
  };
  for (const Token& t : tokens) {
    cUsed[cSymbol(t)] = true;
    if (t.Length) pUsed[pSymbol(t)] = true;
  }
  const bool singleC = cLengths.empty() && std::count(cUsed.begin(), cUsed.end(), true) == 1;
  if (cLengths.empty()) cLengths = FlatLengths(510, cUsed);
  w.Put(static_cast<unsigned>(tokens.size()), 16);
  if (singleC) {
    // One symbol: what the original encoder writes, with no bits per symbol.
    WriteSingle(w, 0, 5);
    WriteSingle(w, cSymbol(tokens.front()), 9);
  } else {
    // The literal/length lengths as a sequence of code-length symbols and zero runs.
    std::vector<std::pair<unsigned, std::pair<unsigned, int>>> seq;  // symbol, extra bits
    const std::size_t n = UsedCount(cLengths);
    for (std::size_t i = 0; i < n;) {
      if (cLengths[i] != 0) {
        seq.push_back({cLengths[i++] + 2u, {0, 0}});
        continue;
      }
      std::size_t run = 0;
      while (i + run < n && cLengths[i + run] == 0 && run < 531)
        ++run;
      i += run;
      if (run == 19) seq.push_back({0, {0, 0}}), run = 18;
      if (run >= 20)
        seq.push_back({2, {static_cast<unsigned>(run - 20), 9}});
      else if (run >= 3)
        seq.push_back({1, {static_cast<unsigned>(run - 3), 4}});
      else
        seq.insert(seq.end(), run, {0, {0, 0}});
    }
    std::vector<bool> tUsed(19);
    for (const auto& s : seq)
      tUsed[s.first] = true;
    const std::vector<std::uint8_t> tLengths = FlatLengths(19, tUsed);
    const std::vector<unsigned> tCodes = CanonicalCodes(tLengths);
    const bool singleT = std::count(tUsed.begin(), tUsed.end(), true) == 1;
    if (singleT)
      WriteSingle(w, seq.front().first, 5);
    else
      WriteSmallCode(w, tLengths, 5, 3);
    w.Put(static_cast<unsigned>(n), 9);
    for (const auto& s : seq) {
      if (!singleT) w.Put(tCodes[s.first], tLengths[s.first]);
      w.Put(s.second.first, s.second.second);
    }
  }
  const std::vector<std::uint8_t> pLengths = FlatLengths(static_cast<std::size_t>(np), pUsed);
  const std::size_t pCount = static_cast<std::size_t>(std::count(pUsed.begin(), pUsed.end(), true));
  if (pCount <= 1) {
    unsigned only = 0;
    for (unsigned j = 0; j < pUsed.size(); ++j)
      if (pUsed[j]) only = j;
    WriteSingle(w, only, pbits);
  } else {
    WriteSmallCode(w, pLengths, pbits, 0);
  }
  const std::vector<unsigned> cCodes = CanonicalCodes(cLengths);
  const std::vector<unsigned> pCodes = CanonicalCodes(pLengths);
  for (const Token& t : tokens) {
    const unsigned c = cSymbol(t);
    if (!singleC) w.Put(cCodes[c], cLengths[c]);
    if (!t.Length) continue;
    const unsigned j = pSymbol(t);
    if (pCount > 1) w.Put(pCodes[j], pLengths[j]);
    if (j > 1) w.Put((t.Distance - 1) - (1u << (j - 1)), static_cast<int>(j - 1));
  }
}

std::string Expand(const std::vector<Token>& tokens) {
  std::string s;
  for (const Token& t : tokens) {
    if (!t.Length) {
      s.push_back(static_cast<char>(t.Literal));
      continue;
    }
    for (unsigned i = 0; i < t.Length; ++i)
      s.push_back(s[s.size() - t.Distance]);
  }
  return s;
}

LhaDecoded DecodeLhaStream(lha::Method method, std::vector<std::uint8_t> stream, std::size_t size) {
  const std::size_t packedSize = stream.size();
  stream.resize(packedSize + lha::kInputPadding, 0xA5);
  LhaDecoded d{lha::DecodeStatus::Ok, std::string(size, '?')};
  d.Status = lha::Decode(method, stream.data(), packedSize, d.Bytes.data(), size);
  return d;
}

}  // namespace yuzulog::testing
