#include "htmlview/htmlpage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using namespace std::string_literals;
using testing::Sjis;

const DefaultColorResolver kResolver;

std::string Text(std::string_view text, bool links = true) {
  PageStream out;
  WriteText(out, text.data(), text.size(), links);
  return out;
}

// A message record over text (no parsing needed: the page reads HeadStart to TextEnd).
TLogMessage MessageOver(const std::string& text) {
  TLogMessage m(nullptr);
  m.HeadStart = text.data();
  m.BodyStart = text.data();
  m.TextEnd = text.data() + text.size();
  return m;
}

std::string Page(const std::string& text, const std::vector<std::int64_t>* hits,
                 const PageStyle& style = {}) {
  const TLogMessage m = MessageOver(text);
  PageStream out;
  WriteMessagePage(out, m, hits, style, kResolver);
  return out;
}

const std::string kDesignFontCss =
    "font-size:9.0pt;font-family:\"" + Sjis("ＭＳ Ｐゴシック") + "\";color:#000000";
const std::string kHead =
    "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=shift_jis\"></head>"
    "<body BGCOLOR=#FFFFFF><span lang=JA style='line-height:144%;" +
    kDesignFontCss + "'>";
const std::string kTail = "</span></body></html>";
const std::string kKeyOpen =
    "<span style='font-size:9.0pt;font-family:\"" + Sjis("ＭＳ Ｐゴシック") + "\";color:#0000FF'>";

// The page of the default style (no wrap) around converted text.
std::string Framed(const std::string& body) {
  return kHead + "<NOBR>" + body + "</NOBR>" + kTail;
}

// Text of links, addresses, markup, line ends, double-byte and half-width characters; starts
// receives where each character starts, and the end.
std::string GeneratedText(std::mt19937& random, std::vector<int>* starts = nullptr) {
  static const std::vector<std::string> pieces = [] {
    std::vector<std::string> v;  // the last is 漢ソｱ
    std::istringstream all(
        "http://a.jp/x?q=1&r|nifty:YUZU/MES/05/#0012|a.b@c.jp|ftp://f.jp| "
        "|\r\n|<|&|\"|a|@|.|\x8A\xBF\x83\x5C\xB1");
    for (std::string piece; std::getline(all, piece, '|');)
      v.push_back(piece);
    return v;
  }();
  std::string text;
  for (int i = static_cast<int>(random() % 10); i > 0; --i) {
    const std::string& piece = pieces[random() % pieces.size()];
    for (std::size_t b = 0; b < piece.size() && starts; ++b)
      if (b % 2 == 0 || (piece[0] > 0 && piece != "\r\n"))
        starts->push_back(static_cast<int>(text.size() + b));
    text += piece;
  }
  if (starts) starts->push_back(static_cast<int>(text.size()));
  return text;
}

TEST(PageFrame, EmptyPageIsTheFrameAlone) {
  PageStream out;
  WriteEmptyPage(out, PageStyle{}, kResolver);
  EXPECT_EQ(out, kHead + kTail);
  EXPECT_EQ(out.find("<html>"), 0u);
  EXPECT_EQ(out.find("<body"), 88u);  // the page head is 88 bytes
}

TEST(PageFrame, EmptyMessageGivesFrameWithNoWrapFragments) {
  EXPECT_EQ(Page("", nullptr), Framed(""));
  PageStyle wrap;
  wrap.WordWrap = true;
  EXPECT_EQ(Page("", nullptr, wrap), kHead + kTail);
}

TEST(PageFrame, ColoursAreRgbInUpperCaseHex) {
  EXPECT_EQ(ColorToHtml(kClWindow, kResolver), "#FFFFFF");
  EXPECT_EQ(ColorToHtml(kClWindowText, kResolver), "#000000");
  EXPECT_EQ(ColorToHtml(kClBlue, kResolver), "#0000FF");
  EXPECT_EQ(ColorToHtml(0x00336699, kResolver), "#996633");  // stored as 0x00BBGGRR
}

TEST(PageFrame, FontStylesOpenAndCloseInTheSameOrder) {
  FontSpec font{.Name = "Gothic", .Size = -12, .Color = 0x0000FF, .Style = kFsBold | kFsItalic};
  PageStream out;
  BeginFontSpan(out, font, false, kResolver);
  EndFontSpan(out, font);
  EXPECT_EQ(out,
            "<span lang=JA style='line-height:144%;font-size:12.0pt;font-family:\"Gothic\";"
            "color:#FF0000'><B><I></B></I></span>");
  font.Style = kFsUnderline | kFsStrikeOut;
  out.clear();
  BeginFontSpan(out, font, true, kResolver);
  EndFontSpan(out, font);
  EXPECT_EQ(out,
            "<span style='font-size:12.0pt;font-family:\"Gothic\";color:#FF0000'><U><S></U></S>"
            "</span>");
}

TEST(PageFrame, MarkupInAFontNameIsWrittenAsCssEscapes) {
  // A name from the settings file or the command line must end neither the CSS string nor the
  // attribute: a character reference would be decoded in the attribute before CSS reads it.
  auto css = [](const std::string& name) {
    PageStream out;
    WriteFontCss(out, FontSpec{.Name = name, .Size = 9, .Color = 0, .Style = 0}, kResolver);
    const std::size_t start = out.find("family:\"") + 8;
    return out.substr(start, out.rfind("\";color") - start);
  };
  EXPECT_EQ(css("x\";background-image:url(http://example.invalid/a.png);\""),
            "x\\22 ;background-image:url(http://example.invalid/a.png);\\22 ");
  EXPECT_EQ(css("'<>&\\\x01\x1f\t"), "\\27 \\3c \\3e \\26 \\5c \\1 \\1f \\9 ");
  // The second byte 0x5C of a double-byte character is part of it; ordinary names stay as
  // they are.
  EXPECT_EQ(css("ソ表\\"), Sjis("ソ表") + "\\5c ");
  EXPECT_EQ(css("ＭＳ Ｐゴシック"), Sjis("ＭＳ Ｐゴシック"));
  EXPECT_EQ(css("ｱ\\"), Sjis("ｱ") + "\\5c ");

  // Any name is held to the same rules by the page's fuzz target.
}

TEST(PageFrame, WholeMessagePageByteForByte) {
  const std::string text = Sjis("あ") + "a<b & \"c\"\r\nd";
  EXPECT_EQ(Page(text, nullptr),
            Framed(Sjis("あ") + "a&lt;b&nbsp;&amp;&nbsp;&quot;c&quot;<BR>\r\nd"));
}

TEST(WriteText, SpacesStayARunAndLineEndsBecomeBreaks) {
  EXPECT_EQ(Text("a   b"), "a&nbsp;&nbsp;&nbsp;b");
  EXPECT_EQ(Text("a\rb\r\nc\nd\te>"), "a<BR>\r\nb<BR>\r\nc\nd\te&gt;");
  // A CR at the end of the range does not look at the byte after it.
  const std::string crlf = "x\r\n";
  PageStream out;
  WriteText(out, crlf.data(), 2, true);
  EXPECT_EQ(out, "x<BR>\r\n");
}

TEST(WriteText, NulEndsTheTextAndClosesAnOpenLink) {
  EXPECT_EQ(Text("ab\0cd"s), "ab");
  EXPECT_EQ(Text("see http://a.jp\0/more"s), "see&nbsp;<A HREF =\"http://a.jp\">http://a.jp</A>");
}

TEST(WriteText, LinksGetAnchorsWithRawTargets) {
  EXPECT_EQ(Text("go http://a.jp/?q=1&r=2 now"),
            "go&nbsp;<A HREF =\"http://a.jp/?q=1&r=2\">http://a.jp/?q=1&amp;r=2</A>&nbsp;now");
  EXPECT_EQ(Text("NIFTY:YUZU/MES/05/#00123."),
            "<A HREF =\"nifty:yuzu/mes/5/123\">NIFTY:YUZU/MES/05/#00123</A>.");
  EXPECT_EQ(Text("http://a.jp/x", false), "http://a.jp/x");
  // A scheme inside a word starts the link there.
  EXPECT_EQ(Text("URLhttp://a.jp"), "URL<A HREF =\"http://a.jp\">http://a.jp</A>");
}

TEST(WriteText, NoLinkStartsWhereAnotherEnds) {
  EXPECT_EQ(Text("nifty:yuzu/mes/1/2http://a.jp"),
            "<A HREF =\"nifty:yuzu/mes/1/2\">nifty:yuzu/mes/1/2</A>http://a.jp");
}

TEST(WriteText, BareAddressRewritesItsLocalPart) {
  EXPECT_EQ(Text("to ab.c@d.jp!"), "to&nbsp;<A HREF =\"mailto:ab.c@d.jp\">ab.c@d.jp</A>!");
  EXPECT_EQ(Text(Sjis("漢") + "xy@d.jp"), Sjis("漢") + "x<A HREF =\"mailto:y@d.jp\">y@d.jp</A>");
  EXPECT_EQ(Text("ab@localhost"), "ab@localhost");
}

TEST(WriteText, BareAddressAfterAClosedLinkLeavesTheAnchorIntact) {
  // The fragment stops at the hyphen; the address that follows starts right after that link.
  EXPECT_EQ(Text("http://a.jp/#x-y@c.jp"),
            "<A HREF =\"http://a.jp/#x\">http://a.jp/#x</A>"
            "<A HREF =\"mailto:-y@c.jp\">-y@c.jp</A>");
}

TEST(WriteText, BrokenDoubleByteCharactersCannotHideMarkup) {
  // A half-width katakana (single byte) followed by markup characters.
  EXPECT_EQ(Text("\xB1<b>"), "\xB1&lt;b&gt;");
  EXPECT_EQ(Text("\xB1 \xB2\"\xB3&"), "\xB1&nbsp;\xB2&quot;\xB3&amp;");
  EXPECT_EQ(Text("\x82\r\nx"), "\x82<BR>\r\nx");
  EXPECT_EQ(Text("\x82\0<script>"s), "\x82");
  // Valid characters are copied whole, whatever their second byte.
  EXPECT_EQ(Text(Sjis("表") + "<"), Sjis("表") + "&lt;");  // 0x95 0x5C
  EXPECT_EQ(Text("\x82\xA0 "), "\x82\xA0&nbsp;");
  // A lead byte at the end of the range takes nothing beyond it.
  const std::string text = "a\x82<";
  PageStream out;
  WriteText(out, text.data(), 2, true);
  EXPECT_EQ(out, "a\x82");
}

TEST(WriteText, AHalfWidthKatakanaIsACharacterOnItsOwn) {
  EXPECT_EQ(Text(Sjis("ｱ") + "http://a.jp"),
            Sjis("ｱ") + "<A HREF =\"http://a.jp\">http://a.jp</A>");
  EXPECT_EQ(Text(Sjis("ｱ") + "a@x.com"), Sjis("ｱ") + "<A HREF =\"mailto:a@x.com\">a@x.com</A>");
  // Whatever follows it is written as it would be alone.
  std::mt19937 random(14);
  for (int round = 0; round < 300; ++round) {
    const std::string text = GeneratedText(random);
    for (const char* kana : {"\xA0", "\xB1", "\xDF"})
      EXPECT_EQ(Text(kana + text), kana + Text(text)) << text;
  }
}

TEST(MergeHitRanges, JoinsOverlappingAndTouchingHits) {
  auto merge = [](std::vector<std::int64_t> pairs) { return MergeHitRanges(pairs); };
  using B = std::vector<std::int64_t>;
  EXPECT_EQ(merge({}), B{});
  EXPECT_EQ(merge({5, 3, 2, 2}), (B{2, 4, 5, 8}));
  EXPECT_EQ(merge({10, 2, 2, 2, 6, 1}), (B{2, 4, 6, 7, 10, 12}));
  EXPECT_EQ(merge({2, 4, 4, 3}), (B{2, 7}));    // overlapping
  EXPECT_EQ(merge({2, 2, 4, 2}), (B{2, 6}));    // touching
  EXPECT_EQ(merge({2, 10, 4, 2}), (B{2, 12}));  // inside
  EXPECT_EQ(merge({4, 2, 8, 2, 2, 10}), (B{2, 12}));
  EXPECT_EQ(merge({2, 2, 6, 2, 4, 2}), (B{2, 8}));  // bridging two hits
  EXPECT_EQ(merge({2, 2, 6, 2, 3, 4}), (B{2, 8}));
  EXPECT_EQ(merge({2, 2, 6, 2, 1, 2}), (B{1, 4, 6, 8}));
  // Pairs that cover nothing are left out.
  EXPECT_EQ(merge({2, 2, 9, -4, 3, 0, 6, 2, 7, -8}), (B{2, 4, 6, 8}));
}

TEST(HitPage, NoHitsGivesTheOrdinaryPage) {
  const std::string text = "x http://a.jp y";
  const std::vector<std::int64_t> none;
  EXPECT_EQ(Page(text, &none), Page(text, nullptr));
}

TEST(HitPage, HitsUseTheKeyFontInsideAnchorsAndSplitAtTheirEdges) {
  //                        0123456789012345678
  const std::string text = "ab http://a.jp/xyz";
  // Hits "b " and "/x" overlapping "xy": two key spans, the second inside the whole link.
  const std::vector<std::int64_t> hits = {1, 2, 14, 2, 15, 2};
  EXPECT_EQ(Page(text, &hits),
            Framed("a" + kKeyOpen + "b&nbsp;</span>" + "<A HREF =\"http://a.jp/xyz\">http://a.jp" +
                   kKeyOpen + "/xy</span>z</A>"));
  const std::vector<std::int64_t> whole = {3, 15};
  EXPECT_EQ(Page(text, &whole), Framed("ab&nbsp;<A HREF =\"http://a.jp/xyz\">" + kKeyOpen +
                                       "http://a.jp/xyz</span></A>"));
  // Hits across the anchor's start ("x http") and end (".jp y").
  const std::vector<std::int64_t> crossing = {1, 6, 11, 5};
  EXPECT_EQ(Page("xx http://a.jp yy", &crossing),
            Framed("x" + kKeyOpen + "x&nbsp;</span><A HREF =\"http://a.jp\">" + kKeyOpen +
                   "http</span>://a" + kKeyOpen + ".jp</span></A>" + kKeyOpen + "&nbsp;y</span>y"));
  // A keyword inside a reference and an address leaves both links whole.
  const std::vector<std::int64_t> yuzu = {6, 4, 21, 4};
  EXPECT_EQ(Page("nifty:YUZU/MES/5/1 aoyuzu@a.jp", &yuzu),
            Framed("<A HREF =\"nifty:yuzu/mes/5/1\">nifty:" + kKeyOpen +
                   "YUZU</span>/MES/5/1</A>&nbsp;<A HREF =\"mailto:aoyuzu@a.jp\">ao" + kKeyOpen +
                   "yuzu</span>@a.jp</A>"));

  // Hits outside the message are cut off at its ends.
  const std::vector<std::int64_t> bad = {-5, 3, 40, 2, 4, 1 << 30};
  EXPECT_EQ(Page("abcdef", &bad), Framed("abcd" + kKeyOpen + "ef</span>"));
}

TEST(HitPage, RemovingTheHitSpansGivesThePageWithoutHitsAndEveryHitIsInASpan) {
  std::mt19937 random(26);
  for (int round = 0; round < 500; ++round) {
    std::vector<int> starts;  // hits start and end between characters, as the matcher's do
    const std::string text = GeneratedText(random, &starts);
    std::vector<std::int64_t> hits;
    for (int i = static_cast<int>(random() % 4); i > 0; --i) {
      const int a = starts[random() % starts.size()];
      const int b = starts[random() % starts.size()];
      hits.insert(hits.end(), {std::min(a, b), std::abs(a - b)});
    }
    // Spans never nest: each opening is closed by the first closing after it. A span that
    // follows another with only anchor tags between them continues the same hit.
    const std::regex anchorTags("(</A>|<A HREF =\"[^\"]*\">)*");
    std::string stripped = Page(text, &hits);
    std::vector<std::string> spans;
    std::size_t lastEnd = std::string::npos;
    for (std::size_t at; (at = stripped.find(kKeyOpen)) != std::string::npos;) {
      const std::size_t end = stripped.find("</span>", at);
      const std::string inner = std::regex_replace(
          stripped.substr(at + kKeyOpen.size(), end - at - kKeyOpen.size()), anchorTags, "");
      if (lastEnd != std::string::npos &&
          std::regex_match(stripped.substr(lastEnd, at - lastEnd), anchorTags))
        spans.back() += inner;
      else
        spans.push_back(inner);
      stripped.erase(end, 7).erase(at, kKeyOpen.size());
      lastEnd = end - kKeyOpen.size();
    }
    ASSERT_EQ(stripped, Page(text, nullptr)) << text;
    std::vector<std::string> expected;
    const std::vector<std::int64_t> b = MergeHitRanges(hits);
    for (std::size_t i = 0; i < b.size(); i += 2)
      expected.push_back(Text(
          text.substr(static_cast<std::size_t>(b[i]), static_cast<std::size_t>(b[i + 1] - b[i])),
          false));
    EXPECT_EQ(spans, expected) << text;
  }
}

}  // namespace
}  // namespace yuzulog
