#include "export/cp932export.h"

#include <algorithm>
#include <cstring>

#include "common/sjis.h"
#include "platform/cp932.h"

namespace yuzulog {

const char* const kCp932ConverterName =
    "yuzulog code page 932 table (Microsoft's table as the C library's CP932 converter maps it; "
    "the user-defined area to U+E000 and up); unconvertible sequences as U+3013";

namespace {

constexpr std::string_view kGeta = "\xE3\x80\x93";  // U+3013
constexpr std::string_view kFffd = "\xEF\xBF\xBD";

// Which ASCII bytes an escape does not copy as they stand.
struct EscapeClasses {
  std::array<bool, 128> Json{};
  std::array<bool, 128> Html{};
  constexpr EscapeClasses() {
    for (int b = 0; b < 0x20; ++b)
      Json[static_cast<std::size_t>(b)] = true;
    Json['"'] = Json['\\'] = true;
    Html['&'] = Html['<'] = Html['>'] = Html['"'] = Html['\r'] = true;
  }
};
constexpr EscapeClasses kEscapes;

// Writes the escaped form of the ASCII byte rest[0] at o; returns the end of what was written.
// used receives how many bytes of rest it stood for.
char* WriteEscaped(Utf8Escape escape, std::string_view rest, std::size_t& used, char* o) {
  const auto b = static_cast<unsigned char>(rest[0]);
  auto put = [&o](std::string_view s) {
    std::memcpy(o, s.data(), s.size());
    return o + s.size();
  };
  used = 1;
  if (escape == Utf8Escape::Json) {
    switch (b) {
      case '"':
        return put("\\\"");
      case '\\':
        return put("\\\\");
      case '\n':
        return put("\\n");
      case '\r':
        return put("\\r");
      case '\t':
        return put("\\t");
      default: {
        static constexpr char kHex[] = "0123456789abcdef";
        const char u[] = {'\\', 'u', '0', '0', kHex[b >> 4], kHex[b & 15]};
        return put(std::string_view(u, sizeof u));
      }
    }
  }
  switch (b) {
    case '&':
      return put("&amp;");
    case '<':
      return put("&lt;");
    case '>':
      return put("&gt;");
    case '"':
      return put("&quot;");
    default:  // CR: with its LF, or alone, one line end
      if (rest.size() > 1 && rest[1] == '\n') used = 2;
      return put("\n");
  }
}

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

// Whether any byte of the word is below n (n <= 0x80, every byte below 0x80).
constexpr bool AnyBelow(std::uint64_t w, unsigned n) {
  return ((w - kOnes * n) & ~w & kHighs) != 0;
}
constexpr bool AnyEqual(std::uint64_t w, unsigned char c) {
  return AnyBelow(w ^ (kOnes * c), 1);
}

// True when all eight bytes are ASCII that the escape copies as they stand.
constexpr bool PlainAscii(std::uint64_t w, Utf8Escape escape) {
  if (w & kHighs) return false;
  switch (escape) {
    case Utf8Escape::None:
      return true;
    case Utf8Escape::Json:
      return !AnyBelow(w, 0x20) && !AnyEqual(w, '"') && !AnyEqual(w, '\\');
    case Utf8Escape::Html:
      return !AnyEqual(w, '&') && !AnyEqual(w, '<') && !AnyEqual(w, '>') && !AnyEqual(w, '"') &&
             !AnyEqual(w, '\r');
  }
  return false;
}

}  // namespace

Cp932Table::Cp932Table() : FPairs(128 * 256), FPairClass(128 * 256, kPlain) {
  auto fill = [](Entry& e, std::string_view bytes) {
    const std::string utf8 = Cp932ToUtf8(bytes);
    if (utf8 == kFffd || utf8.empty() || utf8.size() > 3) return;
    std::memcpy(e.Utf8.data(), utf8.data(), utf8.size());
    e.Length = static_cast<std::uint8_t>(utf8.size());
  };
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (b < 0x80)
      FSingle[static_cast<std::size_t>(b)] = Entry{{c, 0, 0}, 1};
    else if (!IsSjisLeadByte(static_cast<unsigned char>(b)))
      fill(FSingle[static_cast<std::size_t>(b)], std::string_view(&c, 1));
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsSjisLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsSjisTrailByte(static_cast<unsigned char>(trail))) continue;
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::size_t index = static_cast<std::size_t>((lead - 0x80) * 256 + trail);
      Entry& e = FPairs[index];
      fill(e, std::string_view(pair, 2));
      if (e.Length == 0) {
        FPairClass[index] = kUnconvertible;
        continue;
      }
      // The encoder gives each character its preferred form: any other form that decodes to the
      // same character (the NEC-selected IBM extensions, NEC's duplicates of JIS symbols) would
      // come back as different bytes.
      const Cp932Encoding back = Utf8ToCp932(std::string_view(e.Utf8.data(), e.Length));
      if (back.bytes != std::string_view(pair, 2)) FPairClass[index] = kNotUnique;
    }
  }
}

const Cp932Table& Cp932Table::Get() {
  static const Cp932Table table;
  return table;
}

std::string_view Cp932Table::CharOf(std::string_view sequence) const {
  const Entry* e = nullptr;
  if (sequence.size() == 1)
    e = &FSingle[static_cast<unsigned char>(sequence[0])];
  else if (sequence.size() == 2 && static_cast<unsigned char>(sequence[0]) >= 0x80)
    e = &FPairs[static_cast<std::size_t>((static_cast<unsigned char>(sequence[0]) - 0x80) * 256 +
                                         static_cast<unsigned char>(sequence[1]))];
  if (!e || e->Length == 0) return kGeta;
  return {e->Utf8.data(), e->Length};
}

std::size_t Cp932Table::Convert(std::string_view text, Utf8Escape escape, char*& out,
                                const char* outEnd) const {
  const std::size_t n = text.size();
  const char* const s = text.data();
  const std::array<bool, 128>* special = escape == Utf8Escape::Json   ? &kEscapes.Json
                                         : escape == Utf8Escape::Html ? &kEscapes.Html
                                                                      : nullptr;
  char* o = out;
  std::size_t i = 0;
  // One step writes at most 6 bytes (an escaped control byte); stop while there is room for one.
  while (i < n && outEnd - o >= kMaxStep) {
    // Runs of ASCII that need no escape go eight bytes at a time.
    while (i + 8 <= n && outEnd - o >= 8 + kMaxStep) {
      std::uint64_t word;
      std::memcpy(&word, s + i, 8);
      if (!PlainAscii(word, escape)) break;
      std::memcpy(o, &word, 8);
      o += 8;
      i += 8;
    }
    if (i >= n) break;
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      if (special && (*special)[b]) {
        std::size_t used = 1;
        o = WriteEscaped(escape, text.substr(i), used, o);
        i += used;
      } else {
        *o++ = static_cast<char>(b);
        ++i;
      }
      continue;
    }
    const Entry* e;
    if (IsSjisLeadByte(b) && i + 1 < n && IsSjisTrailByte(static_cast<unsigned char>(s[i + 1]))) {
      e = &FPairs[static_cast<std::size_t>((b - 0x80) * 256 +
                                           static_cast<unsigned char>(s[i + 1]))];
      i += 2;
    } else {
      // A lead byte without its second byte is one sequence, as the program's decoder reads it;
      // the byte after it is read on its own.
      e = &FSingle[b];
      i += 1;
    }
    if (e->Length == 0) {
      std::memcpy(o, kGeta.data(), 3);
      o += 3;
    } else {
      std::memcpy(o, e->Utf8.data(), 3);  // the entry is zero-padded; only Length bytes count
      o += e->Length;
    }
  }
  out = o;
  return i;
}

void Cp932Table::Append(std::string_view text, Utf8Escape escape, std::string& out) const {
  while (!text.empty()) {
    const std::size_t start = out.size();
    const std::size_t room = std::min<std::size_t>(text.size() * kMaxStep, 1 << 16) + kMaxStep;
    out.resize(start + room);
    char* o = out.data() + start;
    text.remove_prefix(Convert(text, escape, o, out.data() + out.size()));
    out.resize(static_cast<std::size_t>(o - out.data()));
  }
}

void Cp932Table::Scan(std::string_view text, std::uint64_t baseOffset,
                      std::vector<Cp932Exception>& found) const {
  const std::size_t n = text.size();
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::uint8_t* const pairClass = FPairClass.data();
  std::size_t i = 0;
  while (i < n) {
    // Most of a log is ASCII or plain kanji and kana: skip ASCII eight bytes at a time and test
    // a pair with one lookup.
    while (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, s + i, 8);
      if (word & 0x8080808080808080ULL) break;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char b = s[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    std::uint8_t what;
    std::uint8_t length;
    if (i + 1 < n && IsSjisLeadByte(b) && IsSjisTrailByte(s[i + 1])) {
      what = pairClass[(b - 0x80) * 256 + s[i + 1]];
      length = 2;
    } else {
      what = FSingle[b].Length == 0 ? kUnconvertible : kPlain;
      length = 1;
    }
    if (what != kPlain) {
      Cp932Exception x;
      x.Offset = baseOffset + i;
      x.Length = length;
      x.Bytes[0] = static_cast<char>(b);
      if (length == 2) x.Bytes[1] = static_cast<char>(s[i + 1]);
      x.What = what == kUnconvertible ? Cp932Exception::Kind::Unconvertible
                                      : Cp932Exception::Kind::NotUnique;
      found.push_back(x);
    }
    i += length;
  }
}

}  // namespace yuzulog
