#include "platform/cp932.h"

#include <iconv.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "common/sjis.h"

namespace yuzulog {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// One decoded character: up to 4 UTF-8 bytes; length 0 = no mapping.
struct Utf8Char {
  std::array<char, 4> bytes{};
  std::uint8_t length = 0;
};

// Decoding tables built once from glibc's CP932 converter: single bytes and every lead/trail pair.
struct DecodeTables {
  std::array<Utf8Char, 256> single;
  // Indexed by (lead - 0x80) * 256 + trail for leads 0x80-0xFF.
  std::array<Utf8Char, 128 * 256> pairs;
};

Utf8Char ConvertOne(iconv_t cd, const char* in, size_t inLen) {
  Utf8Char c;
  char outBuf[16];
  char* inPtr = const_cast<char*>(in);
  char* outPtr = outBuf;
  size_t inLeft = inLen;
  size_t outLeft = sizeof outBuf;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
    return c;
  const size_t n = sizeof outBuf - outLeft;
  if (n == 0 || n > 4) return c;
  std::memcpy(c.bytes.data(), outBuf, n);
  c.length = static_cast<std::uint8_t>(n);
  return c;
}

// The decoding tables and the encoder, made once from the system's converters.
struct Converters {
  DecodeTables Tables;
  iconv_t Encoder = reinterpret_cast<iconv_t>(-1);
  std::mutex Encoding;  // one encoder shared by callers; encoding is rare and short
};

std::atomic<Converters*> gConverters{nullptr};
std::mutex gBuilding;

void FillTables(iconv_t decoder, DecodeTables& t) {
  for (int b = 0; b < 256; ++b) {
    const auto ub = static_cast<unsigned char>(b);
    if (b < 0x80) {
      t.single[b].bytes[0] = static_cast<char>(b);
      t.single[b].length = 1;
    } else if (ub >= 0xA1 && ub <= 0xDF) {
      const char in = static_cast<char>(b);
      t.single[b] = ConvertOne(decoder, &in, 1);
    }
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsSjisLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsSjisTrailByte(static_cast<unsigned char>(trail))) continue;
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      t.pairs[(lead - 0x80) * 256 + trail] = ConvertOne(decoder, in, 2);
    }
  }
}

// The converters, made on the first call; nullptr with the errno when the system cannot open
// one. A failure is not kept: the next call tries again.
Converters* Build(int& error) {
  if (Converters* c = gConverters.load(std::memory_order_acquire)) return c;
  const std::lock_guard lock(gBuilding);
  if (Converters* c = gConverters.load(std::memory_order_relaxed)) return c;
  const iconv_t decoder = iconv_open("UTF-8", "CP932");
  if (decoder == reinterpret_cast<iconv_t>(-1)) {
    error = errno;
    return nullptr;
  }
  const iconv_t encoder = iconv_open("CP932", "UTF-8");
  if (encoder == reinterpret_cast<iconv_t>(-1)) {
    error = errno;
    iconv_close(decoder);
    return nullptr;
  }
  static Converters converters;
  FillTables(decoder, converters.Tables);
  iconv_close(decoder);
  converters.Encoder = encoder;
  gConverters.store(&converters, std::memory_order_release);
  return &converters;
}

std::string UnavailableText(int error) {
  return std::string("コードページ 932 の文字コード変換を用意できません（") + std::strerror(error) +
         "）";
}

Converters& Ready() {
  int error = 0;
  if (Converters* c = Build(error)) return *c;
  throw Cp932Unavailable(UnavailableText(error));
}

const DecodeTables& Tables() {
  return Ready().Tables;
}

void AppendChar(const Utf8Char& c, std::string& out) {
  if (c.length == 0)
    out.append(kReplacement);
  else
    out.append(c.bytes.data(), c.length);
}

// Decodes one UTF-8 sequence at text[i]; returns its length (0 when invalid) and the code point.
size_t DecodeUtf8(std::string_view text, size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  size_t len;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > text.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

// Code points typed in their JIS-style form, with the code page 932 bytes that stand for them.
struct JisForm {
  char32_t cp;
  const char* bytes;
};
constexpr JisForm kJisForms[] = {
    {0x301C, "\x81\x60"},  // WAVE DASH -> FULLWIDTH TILDE's character
    {0x2014, "\x81\x5C"},  // EM DASH -> HORIZONTAL BAR's character
    {0x2016, "\x81\x61"},  // DOUBLE VERTICAL LINE -> PARALLEL TO's character
    {0x2212, "\x81\x7C"},  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS's character
    {0x00A2, "\x81\x91"},  // CENT SIGN
    {0x00A3, "\x81\x92"},  // POUND SIGN
    {0x00AC, "\x81\xCA"},  // NOT SIGN
    {0x00A6, "\xFA\x55"},  // BROKEN BAR
};

}  // namespace

std::size_t Cp932CharLength(std::string_view text, std::size_t i) {
  const auto b = static_cast<unsigned char>(text[i]);
  if (IsSjisLeadByte(b) && i + 1 < text.size() &&
      IsSjisTrailByte(static_cast<unsigned char>(text[i + 1])))
    return 2;
  return 1;
}

void AppendCp932AsUtf8(std::string_view text, std::string& out) {
  const DecodeTables& t = Tables();
  const size_t n = text.size();
  out.reserve(out.size() + n + n / 2);
  size_t i = 0;
  while (i < n) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      // Runs of ASCII are the common case; copy them in one piece.
      size_t j = i + 1;
      while (j < n && static_cast<unsigned char>(text[j]) < 0x80)
        ++j;
      out.append(text.data() + i, j - i);
      i = j;
      continue;
    }
    if (Cp932CharLength(text, i) == 2) {
      AppendChar(t.pairs[(b - 0x80) * 256 + static_cast<unsigned char>(text[i + 1])], out);
      i += 2;
    } else if (IsSjisLeadByte(b)) {
      out.append(kReplacement);  // a lead byte without its second byte
      i += 1;
    } else {
      AppendChar(t.single[b], out);  // 0x80, 0xA0, 0xFD-0xFF have no mapping
      i += 1;
    }
  }
}

std::string Cp932ToUtf8(std::string_view cp932) {
  std::string out;
  AppendCp932AsUtf8(cp932, out);
  return out;
}

std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  char32_t cp;
  return DecodeUtf8(text, i, cp);
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  char32_t cp;
  while (i < text.size()) {
    const size_t len = DecodeUtf8(text, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string SettingsTextToUtf8(std::string_view fileText) {
  if (IsValidUtf8(fileText)) return std::string(fileText);
  return Cp932ToUtf8(fileText);
}

bool PrepareCp932(std::string* reason) {
  int error = 0;
  if (Build(error)) return true;
  if (reason) *reason = UnavailableText(error);
  return false;
}

Cp932Encoding Utf8ToCp932(std::string_view utf8) {
  Cp932Encoding result;
  Converters& converters = Ready();
  const iconv_t cd = converters.Encoder;
  std::lock_guard lock(converters.Encoding);
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(utf8, i, cp);
    if (len == 0) {
      result.invalidUtf8 = true;
      ++i;
      continue;
    }
    if (cp < 0x80) {
      result.bytes.push_back(static_cast<char>(cp));
      i += len;
      continue;
    }
    const char* jis = nullptr;
    for (const JisForm& f : kJisForms)
      if (f.cp == cp) jis = f.bytes;
    if (jis) {
      result.bytes.append(jis, 2);
      i += len;
      continue;
    }
    char out[8];
    char* inPtr = const_cast<char*>(utf8.data() + i);
    size_t inLeft = len;
    char* outPtr = out;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const bool mapped = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
                        inLeft == 0 && outLeft < sizeof out;
    if (mapped)
      result.bytes.append(out, sizeof out - outLeft);
    else
      result.unmappable.append(utf8.substr(i, len));
    i += len;
  }
  return result;
}

}  // namespace yuzulog
