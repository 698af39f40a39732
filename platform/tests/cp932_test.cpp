#include "platform/cp932.h"

#include <gtest/gtest.h>

namespace yuzulog {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(Cp932Test, DecodesAsciiKanaKanjiAndHalfWidthKatakana) {
  EXPECT_EQ(Cp932ToUtf8("abc"), "abc");
  EXPECT_EQ(Cp932ToUtf8("\x82\xA0\x88\x9F"), "あ亜");
  EXPECT_EQ(Cp932ToUtf8("\xB1"), "ｱ");
  // Microsoft's table: 0x8160 is the full-width tilde, 0x815C the horizontal bar.
  EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "～");
  EXPECT_EQ(Cp932ToUtf8("\x81\x5C"), "―");
  // The user-defined area maps to the private use area.
  EXPECT_EQ(Cp932ToUtf8("\xF0\x40"), "\xEE\x80\x80");
}

TEST(Cp932Test, BadBytesBecomeReplacementCharactersByTheirRule) {
  // A lead byte without a valid second byte: one U+FFFD, and the next byte is read on its own.
  EXPECT_EQ(Cp932ToUtf8("\x82"
                        "0"),
            kFffd + "0");
  EXPECT_EQ(Cp932ToUtf8("\x82\x20"), kFffd + " ");
  EXPECT_EQ(Cp932ToUtf8("\x82"), kFffd);
  // Single bytes without a mapping.
  EXPECT_EQ(Cp932ToUtf8("\x80\xA0\xFD\xFE\xFF"), kFffd + kFffd + kFffd + kFffd + kFffd);
  // A well-formed pair without a mapping is one U+FFFD, both bytes consumed.
  EXPECT_EQ(Cp932ToUtf8("\x85\x40"
                        "x"),
            kFffd + "x");
  // A lead byte followed by a lead byte: the second starts a pair of its own.
  EXPECT_EQ(Cp932ToUtf8("\x82\x82\xA0"), Cp932ToUtf8("\x82\x82") + Cp932ToUtf8("\xA0"));
}

TEST(Cp932Test, EncodesTypedTextIncludingJisStyleForms) {
  EXPECT_EQ(Utf8ToCp932("aあ亜ｱ").bytes, "a\x82\xA0\x88\x9F\xB1");
  EXPECT_EQ(Utf8ToCp932("〜").bytes, "\x81\x60");  // U+301C wave dash
  EXPECT_EQ(Utf8ToCp932("～").bytes, "\x81\x60");  // U+FF5E
  EXPECT_EQ(Utf8ToCp932("\u2014").bytes, "\x81\x5C");
  EXPECT_EQ(Utf8ToCp932("\u2016").bytes, "\x81\x61");
  EXPECT_EQ(Utf8ToCp932("\u2212").bytes, "\x81\x7C");
  EXPECT_EQ(Utf8ToCp932("\u00A2\u00A3\u00AC").bytes, "\x81\x91\x81\x92\x81\xCA");
  EXPECT_TRUE(Utf8ToCp932("ミカン,みかん").ok());
}

TEST(Cp932Test, ReportsCharactersWithoutAForm) {
  Cp932Encoding e = Utf8ToCp932("a😀b한");
  EXPECT_FALSE(e.ok());
  EXPECT_EQ(e.bytes, "ab");
  EXPECT_EQ(e.unmappable, "😀한");
  EXPECT_TRUE(Utf8ToCp932("\xFF").invalidUtf8);
}

TEST(Cp932Test, SettingsTextIsUtf8OrElseCodePage932) {
  EXPECT_EQ(SettingsTextToUtf8("名前"), "名前");
  EXPECT_EQ(SettingsTextToUtf8("\x96\xBC\x91\x4F"), "名前");
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
}

}  // namespace
}  // namespace yuzulog
