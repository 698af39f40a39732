#include "htmlview/htmlpage.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "common/markup.h"
#include "common/sjis.h"
#include "htmlview/linkscan.h"
#include "platform/cp932.h"

namespace yuzulog {

namespace {

// The fixed fragments of a page, byte for byte. No line break is written between them: the only
// line breaks in a page are those of kLineBreak.
constexpr std::string_view kPageHead =
    "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=shift_jis\">";
constexpr std::string_view kHeadEnd = "</head>";
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
               const ColorResolver& resolver, std::string_view headExtra) {
  out += kPageHead;
  out += headExtra;
  out += kHeadEnd;
  out += kBodyOpen;
  out += ColorToHtml(background, resolver);
  out += kTagEnd;
  BeginFontSpan(out, baseFont, false, resolver);
}

void EndPage(PageStream& out, const FontSpec& baseFont) {
  EndFontSpan(out, baseFont);
  out += kPageEnd;
}

namespace {

// A byte that takes the next one with it into a double-byte character, when that one is a valid
// second byte. 0xA0-0xDF are half-width katakana, characters of one byte, as the keyword matcher
// takes them too; 0x80 and 0xFD-0xFF lead as the view has always had them.
constexpr bool IsPageLeadByte(unsigned char c) {
  return c >= 0x80 && (c < 0xA0 || c > 0xDF);
}
constexpr bool IsHalfWidthKana(unsigned char c) {
  return c >= 0xA0 && c <= 0xDF;
}

// Where the character at p ends: a CR takes a following LF into one line break, a double-byte
// character its second byte, but only a real one, so that a broken lead byte cannot swallow a
// '<' or '"' that follows it.
std::size_t CharacterEnd(const char* text, std::size_t p, std::size_t length) {
  const auto c = static_cast<unsigned char>(text[p]);
  const bool pair =
      p + 1 < length &&
      (c == '\r' ? text[p + 1] == '\n'
                 : IsPageLeadByte(c) && IsSjisTrailByte(static_cast<unsigned char>(text[p + 1])));
  return pair ? p + 2 : p + 1;
}

// What a character becomes in the page; empty when it is copied as it stands.
std::string_view Replacement(unsigned char c) {
  switch (c) {
    case '\r':
      return kLineBreak;
    case ' ':
      return "&nbsp;";
    default:
      return MarkupEntity(static_cast<char>(c));
  }
}

// An anchor of the page: bytes [Start, End) of the text. End lies beyond where the text stops
// when a NUL ends it inside the link.
struct PageLink {
  std::size_t Start;
  std::size_t End;
  std::string Target;
};

// The links of a text, looked for at the start of every character. Where one link ends no new
// link is looked for at the same byte. A bare address's local part may reach back to the start
// of the text, to the end of the last link or to a half-width katakana, whichever is last: the
// bytes before it are no part of the address.
std::vector<PageLink> FindPageLinks(const char* text, std::size_t length) {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<PageLink> links;
  std::size_t linkEnd = kNone;
  std::size_t localFloor = 0;
  std::string target;
  for (std::size_t p = 0; p < length;) {
    if (linkEnd == kNone) {
      std::size_t localLength = 0;
      if (std::size_t k = FindLink(text + p, length - p, target)) {
        links.push_back({p, p + k, target});
        linkEnd = p + k;
      } else if (text[p] == '@' && (k = FindBareAddress(text + localFloor, text + p, length - p,
                                                        localLength, target))) {
        links.push_back({p - localLength, p + k, target});
        linkEnd = p + k;
      }
    } else if (linkEnd <= p) {
      linkEnd = kNone;
      localFloor = p;
    }
    const auto c = static_cast<unsigned char>(text[p]);
    if (c == '\0') break;
    if (IsHalfWidthKana(c)) localFloor = p + 1;
    p = CharacterEnd(text, p, length);
  }
  return links;
}

// The key font's span around hits, as it is written.
struct HitSpan {
  std::string Open;
  std::string Close;
};

// Writes text with its anchors and, with hits (boundaries as MergeHitRanges gives them), every
// character that holds a byte of a hit inside the hit span. Spans never cross an anchor's edge:
// an open one is closed before it and opened again after it, so removing the spans leaves the
// page without hits. Bytes that need no replacement go out in runs.
void WriteMarkedText(PageStream& out, const char* text, std::size_t length,
                     const std::vector<PageLink>& links, std::span<const std::int64_t> hits,
                     const HitSpan* span) {
  std::size_t p = 0;
  std::size_t r = 0;  // the first byte not yet written
  std::size_t link = 0;
  bool inLink = false;
  std::size_t hit = 0;  // the first hit that does not end before p
  bool inHit = false;
  auto flush = [&] {
    if (p > r) out.append(text + r, p - r);
    r = p;
  };
  auto setHit = [&](bool on) {
    if (on == inHit) return;
    flush();
    out += on ? span->Open : span->Close;
    inHit = on;
  };

  while (p < length) {
    if (inLink && links[link].End <= p) {
      setHit(false);
      flush();
      out += kAnchorClose;
      inLink = false;
      ++link;
    }
    if (!inLink && link < links.size() && links[link].Start <= p) {
      setHit(false);
      flush();
      WriteAnchorOpen(out, links[link].Target);
      inLink = true;
    }
    const auto c = static_cast<unsigned char>(text[p]);
    if (c == '\0') break;  // the text ends here; the final flush stops before the NUL
    const std::size_t end = CharacterEnd(text, p, length);
    if (span) {
      const auto at = static_cast<std::int64_t>(p);
      while (hit + 1 < hits.size() && hits[hit + 1] <= at)
        hit += 2;
      setHit(hit + 1 < hits.size() && hits[hit] < static_cast<std::int64_t>(end));
    }
    if (const std::string_view replacement = Replacement(c); !replacement.empty()) {
      flush();
      out += replacement;
      r = end;
    }
    p = end;
  }
  flush();
  if (span) setHit(false);
  if (inLink) out += kAnchorClose;
}

}  // namespace

void WriteText(PageStream& out, const char* text, std::size_t length, bool links) {
  WriteMarkedText(out, text, length, links ? FindPageLinks(text, length) : std::vector<PageLink>(),
                  {}, nullptr);
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

void WriteMessageText(PageStream& out, const TLogMessage& message,
                      const std::vector<std::int64_t>* hitPairs, const PageStyle& style,
                      const ColorResolver& resolver) {
  if (!style.WordWrap) out += kNoWrapOpen;
  const char* text = message.HeadStart;
  const std::size_t size = message.TextSize();
  const std::vector<PageLink> links = FindPageLinks(text, size);
  if (hitPairs == nullptr || hitPairs->empty()) {
    WriteMarkedText(out, text, size, links, {}, nullptr);
  } else {
    HitSpan span;
    BeginFontSpan(span.Open, style.KeyFont, true, resolver);
    EndFontSpan(span.Close, style.KeyFont);
    WriteMarkedText(out, text, size, links, MergeHitRanges(*hitPairs), &span);
  }
  if (!style.WordWrap) out += kNoWrapClose;
}

void WriteMessagePage(PageStream& out, const TLogMessage& message,
                      const std::vector<std::int64_t>* hitPairs, const PageStyle& style,
                      const ColorResolver& resolver) {
  BeginPage(out, style.Background, style.BaseFont, resolver);
  WriteMessageText(out, message, hitPairs, style, resolver);
  EndPage(out, style.BaseFont);
}

void WriteEmptyPage(PageStream& out, const PageStyle& style, const ColorResolver& resolver) {
  BeginPage(out, style.Background, style.BaseFont, resolver);
  EndPage(out, style.BaseFont);
}

}  // namespace yuzulog
