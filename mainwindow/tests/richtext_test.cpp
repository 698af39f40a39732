// The rich-text view's text and the positions of search hits in it.
#include "mainwindow/richtext.h"

#include <gtest/gtest.h>

#include "htmlview/htmlpage.h"
#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::Sjis;

// UTF-16 code units of UTF-8 text that holds only characters of the Basic Multilingual Plane.
int Utf16Length(const std::string& utf8) {
  int n = 0;
  for (unsigned char c : utf8)
    n += (c & 0xC0) != 0x80;
  return n;
}

std::vector<int> Positions(const std::string& text, std::vector<std::int64_t> boundaries) {
  return RichTextPositions(text, boundaries);
}

TEST(RichText, EveryLineEndIsOneBreak) {
  EXPECT_EQ(RichTextOf("a\r\nb\rc\nd\r"), "a\nb\nc\nd\n");
  EXPECT_EQ(RichTextOf(Sjis("漢字\r\nｶﾅ")), "漢字\nｶﾅ");
}

TEST(RichText, HitsAfterDoubleByteTextKeepTheirCharacters) {
  // 漢字ab CR LF かなcd: "ab" is bytes 4-6, "cd" bytes 12-14.
  const std::string text = Sjis("漢字ab\r\nかなcd");
  const std::vector<std::int64_t> hits = MergeHitRanges(std::vector<std::int64_t>{4, 2, 12, 2});
  EXPECT_EQ(RichTextPositions(text, hits), (std::vector<int>{2, 4, 7, 9}));
  // A hit whose ends fall inside characters covers those characters whole; past the end is the
  // end.
  EXPECT_EQ(Positions(text, {1, 3}), (std::vector<int>{0, 2}));
  EXPECT_EQ(Positions(text, {7, 100}), (std::vector<int>{4, 9}));  // 7: inside CR LF
}

TEST(RichText, PositionsAgreeWithTheDecodedTextAtEveryCharacterBoundary) {
  // Double-byte and half-width characters, bytes the decoder replaces, every kind of line end,
  // and a lead byte at the very end.
  const std::string text = Sjis("全角ｶﾀｶﾅ and\r\nx\ry\nz") + "\x80\xA0\xFD" + Sjis("亜") + "\x81";
  const std::string whole = RichTextOf(text);
  int checked = 0;
  for (std::size_t b = 0; b <= text.size(); ++b) {
    const std::string head = RichTextOf(text.substr(0, b));
    // b lies between two characters exactly when the two halves decode to the whole.
    if (head + RichTextOf(text.substr(b)) != whole) continue;
    ++checked;
    const auto at = static_cast<std::int64_t>(b);
    EXPECT_EQ(Positions(text, {at}), std::vector<int>{Utf16Length(head)}) << b;
    EXPECT_EQ(Positions(text, {0, at}), (std::vector<int>{0, Utf16Length(head)})) << b;
  }
  EXPECT_GT(checked, 20);
}

}  // namespace
}  // namespace yuzulog
