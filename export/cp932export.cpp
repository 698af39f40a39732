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

// The high bit of each byte of the word below n (n <= 0x80); exact up to the lowest byte so
// flagged, which is all a search for the first one needs (a borrow only runs upwards).
constexpr std::uint64_t BelowMask(std::uint64_t w, unsigned n) {
  return (w - kOnes * n) & ~w & kHighs;
}
constexpr std::uint64_t EqualMask(std::uint64_t w, unsigned char c) {
  return BelowMask(w ^ (kOnes * c), 1);
}

// The high bit of the bytes at which a run of ASCII that the escape copies as it stands ends
// (exact up to the first): bytes of 0x80 and up and the bytes the escape rewrites.
template <Utf8Escape E>
constexpr std::uint64_t StopMask(std::uint64_t w) {
  std::uint64_t stop = w & kHighs;
  if constexpr (E == Utf8Escape::Json)
    stop |= BelowMask(w, 0x20) | EqualMask(w, '"') | EqualMask(w, '\\');
  if constexpr (E == Utf8Escape::Html)
    stop |= EqualMask(w, '&') | EqualMask(w, '<') | EqualMask(w, '>') | EqualMask(w, '"') |
            EqualMask(w, '\r');
  return stop;
}

template <Utf8Escape E>
const std::array<bool, 128>& SpecialBytes() {
  return E == Utf8Escape::Json ? kEscapes.Json : kEscapes.Html;
}

}  // namespace

Cp932Table::Cp932Table()
    : FPairs(128 * 256), FSteps(128 * 256), FScanSteps(128 * 256, kPlainSingle) {
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
        FScanSteps[index] = kUnconvertiblePair;
        continue;
      }
      // The encoder gives each character its preferred form: any other form that decodes to the
      // same character (the NEC-selected IBM extensions, NEC's duplicates of JIS symbols) would
      // come back as different bytes.
      const Cp932Encoding back = Utf8ToCp932(std::string_view(e.Utf8.data(), e.Length));
      FScanSteps[index] = back.bytes != std::string_view(pair, 2) ? kNotUniquePair : kPlainPair;
    }
  }
  auto step = [](const Entry& e, bool pair) {
    Step st;
    const std::string_view utf8 = e.Length == 0 ? kGeta : std::string_view(e.Utf8.data(), e.Length);
    std::memcpy(st.Utf8.data(), utf8.data(), utf8.size());
    st.Info = static_cast<std::uint8_t>(utf8.size() | (pair ? kTwoBytes : 0));
    return st;
  };
  for (int b = 0x80; b <= 0xFF; ++b) {
    const auto lead = static_cast<unsigned char>(b);
    for (int next = 0; next <= 0xFF; ++next) {
      const std::size_t index = static_cast<std::size_t>((b - 0x80) * 256 + next);
      if (IsSjisLeadByte(lead) && IsSjisTrailByte(static_cast<unsigned char>(next))) {
        FSteps[index] = step(FPairs[index], true);
      } else {
        // A lead byte without a valid second byte is one sequence, as the program's decoder
        // reads it; the byte after it is read on its own.
        FSteps[index] = step(FSingle[lead], false);
        FScanSteps[index] = FSingle[lead].Length == 0 ? kUnconvertibleSingle : kPlainSingle;
      }
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

template <Utf8Escape E>
std::size_t Cp932Table::ConvertAs(std::string_view text, char*& out, const char* outEnd) const {
  const std::size_t n = text.size();
  const auto* const s = reinterpret_cast<const unsigned char*>(text.data());
  const Step* const steps = FSteps.data();
  char* o = out;
  std::size_t i = 0;
  // A step writes at most kMaxStep bytes (a word of ASCII, a character's four, an escape's six):
  // stop while there is room for one.
  while (i < n && outEnd - o >= kMaxStep) {
    const unsigned b = s[i];
    if (b >= 0x80) {
      const Step& st = steps[(b - 0x80) * 256 + (i + 1 < n ? s[i + 1] : 0)];
      std::memcpy(o, &st, sizeof st);  // only the UTF-8 length counts
      o += st.Info & 3;
      // A branch, not arithmetic: predicted, it keeps the next lookup from waiting for this one.
      if (st.Info & kTwoBytes)
        i += 2;
      else
        i += 1;
      continue;
    }
    if (i + 8 <= n) {
      // A run of ASCII that needs no escape, eight bytes at a time: the word is copied whole and
      // the output kept up to the first byte that ends the run.
      std::uint64_t word;
      std::memcpy(&word, s + i, 8);
      std::memcpy(o, &word, 8);
      const std::uint64_t stop = StopMask<E>(word);
      if (stop == 0) {
        i += 8;
        o += 8;
        continue;
      }
      const auto plain = static_cast<std::size_t>(__builtin_ctzll(stop) >> 3);
      i += plain;
      o += plain;
      if (plain > 0) continue;
    }
    if constexpr (E != Utf8Escape::None) {
      if (SpecialBytes<E>()[b]) {
        std::size_t used = 1;
        o = WriteEscaped(E, text.substr(i), used, o);
        i += used;
        continue;
      }
    }
    *o++ = static_cast<char>(b);
    ++i;
  }
  out = o;
  return i;
}

std::size_t Cp932Table::Convert(std::string_view text, Utf8Escape escape, char*& out,
                                const char* outEnd) const {
  switch (escape) {
    case Utf8Escape::Json:
      return ConvertAs<Utf8Escape::Json>(text, out, outEnd);
    case Utf8Escape::Html:
      return ConvertAs<Utf8Escape::Html>(text, out, outEnd);
    case Utf8Escape::None:
      break;
  }
  return ConvertAs<Utf8Escape::None>(text, out, outEnd);
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
  const std::uint8_t* const steps = FScanSteps.data();
  std::size_t i = 0;
  while (i < n) {
    const unsigned b = s[i];
    if (b < 0x80) {
      // ASCII eight bytes at a time, up to the next byte of 0x80 or more.
      if (i + 8 > n) {
        ++i;
        continue;
      }
      std::uint64_t word;
      std::memcpy(&word, s + i, 8);
      const std::uint64_t high = word & kHighs;
      i += high == 0 ? 8 : static_cast<std::size_t>(__builtin_ctzll(high) >> 3);
      continue;
    }
    const std::uint8_t what = steps[(b - 0x80) * 256 + (i + 1 < n ? s[i + 1] : 0)];
    if (what == kPlainPair) {
      i += 2;
      continue;
    }
    if (what == kPlainSingle) {
      i += 1;
      continue;
    }
    Cp932Exception x;
    x.Offset = baseOffset + i;
    x.Length = what == kUnconvertibleSingle ? 1 : 2;
    x.Bytes[0] = static_cast<char>(b);
    if (x.Length == 2) x.Bytes[1] = static_cast<char>(s[i + 1]);
    x.What = what == kNotUniquePair ? Cp932Exception::Kind::NotUnique
                                    : Cp932Exception::Kind::Unconvertible;
    found.push_back(x);
    i += x.Length;
  }
}

}  // namespace yuzulog
