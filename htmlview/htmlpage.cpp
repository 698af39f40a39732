#include "htmlview/htmlpage.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "common/sjis.h"
#include "htmlview/linkscan.h"
#include "platform/cp932.h"

namespace yuzulog {

namespace {

// The fixed fragments of a page, byte for byte. No line break is written between them: the only
// line breaks in a page are those of kLineBreak.
constexpr std::string_view kPageHead =
    "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=shift_jis\"></head>";
constexpr std::string_view kBodyOpen = "<body BGCOLOR=";
constexpr std::string_view kTagEnd = ">";
constexpr std::string_view kPageSpanOpen = "<span lang=JA style='line-height:144%;";
constexpr std::string_view kKeySpanOpen = "<span style='";
constexpr std::string_view kSize = "font-size:";
constexpr std::string_view kFamily = ".0pt;font-family:\"";
constexpr std::string_view kColour = "\";color:";
constexpr std::string_view kStyleEnd = "'>";
constexpr std::string_view kSpanClose = "</span>";
constexpr std::string_view kPageEnd = "</body></html>";
constexpr std::string_view kNoWrapOpen = "<NOBR>";
constexpr std::string_view kNoWrapClose = "</NOBR>";
constexpr std::string_view kAnchorOpen = "<A HREF =\"";
constexpr std::string_view kAnchorTargetEnd = "\">";
constexpr std::string_view kAnchorClose = "</A>";
constexpr std::string_view kLineBreak = "<BR>\r\n";

// Style bits and their tags, in the order both the opening and the closing tags are written.
struct StyleTag {
  int Bit;
  std::string_view Open;
  std::string_view Close;
};
constexpr StyleTag kStyleTags[] = {{kFsBold, "<B>", "</B>"},
                                   {kFsItalic, "<I>", "</I>"},
                                   {kFsUnderline, "<U>", "</U>"},
                                   {kFsStrikeOut, "<S>", "</S>"}};

void WriteAnchorOpen(PageStream& out, const std::string& target) {
  out += kAnchorOpen;
  out += target;
  out += kAnchorTargetEnd;
}

}  // namespace

std::string ColorToHtml(TColor color, const ColorResolver& resolver) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const RgbValue rgb = resolver.Resolve(color);
  std::string s = "#";
  for (int shift = 20; shift >= 0; shift -= 4)
    s += kHex[(rgb >> shift) & 0xF];
  return s;
}

void WriteFontCss(PageStream& out, const FontSpec& font, const ColorResolver& resolver) {
  out += kSize;
  out += std::to_string(std::llabs(static_cast<long long>(font.Size)));
  out += kFamily;
  // The page declares shift_jis, so the name goes in as code page 932; a character without a
  // code page 932 form is left out. The name comes from a settings file or the command line and
  // stands inside a quoted CSS string inside a quoted attribute. A character reference would not
  // do: the browser decodes it in the attribute before CSS reads the string. So the bytes that
  // could end either, start markup or an escape, and the control bytes, are CSS escapes, which
  // survive the attribute. A double-byte character goes in whole: its second byte may be 0x5C.
  static constexpr char kHex[] = "0123456789abcdef";
  const std::string name = Utf8ToCp932(font.Name).bytes;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (IsSjisLeadByte(c) && i + 1 < name.size() &&
        IsSjisTrailByte(static_cast<unsigned char>(name[i + 1]))) {
      out.append(name, i, 2);
      ++i;
    } else if (c < 0x20 || c == '"' || c == '\'' || c == '<' || c == '>' || c == '&' || c == '\\') {
      out += '\\';
      if (c >= 0x10) out += kHex[c >> 4];
      out += kHex[c & 0xF];
      out += ' ';
    } else {
      out += static_cast<char>(c);
    }
  }
  out += kColour;
  out += ColorToHtml(font.Color, resolver);
}

void BeginFontSpan(PageStream& out, const FontSpec& font, bool plain,
                   const ColorResolver& resolver) {
  out += plain ? kKeySpanOpen : kPageSpanOpen;
  WriteFontCss(out, font, resolver);
  out += kStyleEnd;
  for (const StyleTag& tag : kStyleTags)
    if (font.Style & tag.Bit) out += tag.Open;
}

void EndFontSpan(PageStream& out, const FontSpec& font) {
  // Closed in the same order as opened, not mirrored: the view has always written them so.
  for (const StyleTag& tag : kStyleTags)
    if (font.Style & tag.Bit) out += tag.Close;
  out += kSpanClose;
}

void BeginPage(PageStream& out, TColor background, const FontSpec& baseFont,
               const ColorResolver& resolver) {
  out += kPageHead;
  out += kBodyOpen;
  out += ColorToHtml(background, resolver);
  out += kTagEnd;
  BeginFontSpan(out, baseFont, false, resolver);
}

void EndPage(PageStream& out, const FontSpec& baseFont) {
  EndFontSpan(out, baseFont);
  out += kPageEnd;
}

void WriteText(PageStream& out, const char* text, std::size_t length, bool links) {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t p = 0;
  std::size_t r = 0;
  std::size_t linkEnd = kNone;
  // Where a bare address's local part may begin: the start of the range, or the end of the last
  // link closed in it, so that the bytes stepped back over are never part of an anchor.
  std::size_t localFloor = 0;
  std::string target;
  auto flush = [&] {
    if (p > r) out.append(text + r, p - r);
  };
  auto replace = [&](std::string_view fragment) {
    flush();
    out += fragment;
    r = p + 1;
  };

  while (p < length) {
    if (links) {
      if (linkEnd == kNone) {
        std::size_t localLength = 0;
        if (std::size_t k = FindLink(text + p, length - p, target)) {
          flush();
          r = p;
          WriteAnchorOpen(out, target);
          linkEnd = p + k;
        } else if (text[p] == '@' && (k = FindBareAddress(text + localFloor, text + p, length - p,
                                                          localLength, target))) {
          // The local part has just been written unchanged (its characters are never escaped);
          // step back over it and write it again inside the anchor.
          flush();
          out.resize(out.size() - localLength);
          r = p - localLength;
          WriteAnchorOpen(out, target);
          linkEnd = p + k;
        }
      } else if (linkEnd == p) {
        // Where one link ends, no new link is looked for at the same byte.
        flush();
        r = p;
        out += kAnchorClose;
        linkEnd = kNone;
        localFloor = p;
      }
    }

    const unsigned char c = static_cast<unsigned char>(text[p]);
    if (c == '\0') break;  // the text ends here; the final flush stops before the NUL
    switch (c) {
      case '\r':
        flush();
        out += kLineBreak;
        if (p + 1 < length && text[p + 1] == '\n') ++p;
        r = p + 1;
        break;
      case ' ':
        replace("&nbsp;");
        break;
      case '"':
        replace("&quot;");
        break;
      case '&':
        replace("&amp;");
        break;
      case '<':
        replace("&lt;");
        break;
      case '>':
        replace("&gt;");
        break;
      default:
        // A double-byte character is copied as one piece, but only with a real second byte: a
        // broken lead byte must not swallow a '<' or '"' that follows it.
        if (c >= 0x80 && p + 1 < length && IsSjisTrailByte(static_cast<unsigned char>(text[p + 1])))
          ++p;
        break;
    }
    ++p;
  }
  flush();
  if (linkEnd != kNone) out += kAnchorClose;
}

std::vector<std::int64_t> MergeHitRanges(std::span<const std::int64_t> pairs) {
  std::vector<std::int64_t> R;
  for (std::size_t k = 0; k + 1 < pairs.size(); k += 2) {
    // A pair of no or negative length covers nothing; left in, it would put an end before its
    // start and break the order every later step relies on.
    if (pairs[k + 1] <= 0) continue;
    const std::int64_t s = pairs[k];
    const std::int64_t e = s + pairs[k + 1];
    const auto i = static_cast<std::size_t>(std::lower_bound(R.begin(), R.end(), s) - R.begin());
    const auto j = static_cast<std::size_t>(std::upper_bound(R.begin(), R.end(), e) - R.begin());
    if (i == j) {
      if (i == R.size()) {
        R.push_back(s);
        R.push_back(e);
      } else if (i % 2 == 0) {
        R.insert(R.begin() + static_cast<std::ptrdiff_t>(i), {s, e});
      }
      // An odd i: the new hit lies inside an existing one.
      continue;
    }
    R.erase(R.begin() + static_cast<std::ptrdiff_t>(i), R.begin() + static_cast<std::ptrdiff_t>(j));
    if (i == R.size()) {
      if (i % 2 == 0) R.push_back(s);
      R.push_back(e);
    } else {
      if (j % 2 == 0) R.insert(R.begin() + static_cast<std::ptrdiff_t>(i), e);
      if (i % 2 == 0) R.insert(R.begin() + static_cast<std::ptrdiff_t>(i), s);
    }
  }
  return R;
}

void WriteMessagePage(PageStream& out, const TLogMessage& message,
                      const std::vector<std::int64_t>* hitPairs, const PageStyle& style,
                      const ColorResolver& resolver) {
  BeginPage(out, style.Background, style.BaseFont, resolver);
  if (!style.WordWrap) out += kNoWrapOpen;
  const char* text = message.HeadStart;
  const auto size = static_cast<std::int64_t>(message.TextSize());
  if (hitPairs == nullptr) {
    WriteText(out, text, static_cast<std::size_t>(size), true);
  } else {
    const std::vector<std::int64_t> b = MergeHitRanges(*hitPairs);
    const std::size_t n = b.size();
    // Boundaries are clamped to the message, so a hit list that does not fit it can never make
    // the page read outside the text.
    auto clamp = [size](std::int64_t v) { return std::clamp<std::int64_t>(v, 0, size); };
    for (std::size_t i = 0; i <= n; ++i) {
      const std::int64_t s = i == 0 ? 0 : clamp(b[i - 1]);
      const std::int64_t e = i < n ? clamp(b[i]) : size;
      if (!(s < e)) continue;
      const auto segLength = static_cast<std::size_t>(e - s);
      if (i % 2 == 1) {
        BeginFontSpan(out, style.KeyFont, true, resolver);
        WriteText(out, text + s, segLength, false);
        EndFontSpan(out, style.KeyFont);
      } else {
        WriteText(out, text + s, segLength, true);
      }
    }
  }
  if (!style.WordWrap) out += kNoWrapClose;
  EndPage(out, style.BaseFont);
}

void WriteEmptyPage(PageStream& out, const PageStyle& style, const ColorResolver& resolver) {
  BeginPage(out, style.Background, style.BaseFont, resolver);
  EndPage(out, style.BaseFont);
}

}  // namespace yuzulog
