// The export's code page 932 conversion: what it writes and what it lists.
#include "export/cp932export.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"

namespace yuzulog {
namespace {

// ASCII, a plain kanji, NEC's duplicate of ≒ (0x8790, also 0x81E0), a NEC-selected IBM extension
// (0xED40, also 0xFA5C), an unassigned pair (0x8540), a single byte without a mapping (0xFD) and
// a lead byte at the end with no second byte.
const std::string kMixed =
    "a\x8A\xBF\x87\x90\xED\x40\x85\x40\xFD"
    "b\x81";

TEST(Cp932Export, WritesGetaForWhatDoesNotConvertAndKeepsTheRest) {
  std::string out;
  Cp932Table::Get().Append(kMixed, Utf8Escape::None, out);
  EXPECT_EQ(out, "a漢≒纊〓〓b〓");
}

TEST(Cp932Export, ListsUnconvertibleAndNotUniqueSequencesAtTheirOffsets) {
  std::vector<Cp932Exception> found;
  Cp932Table::Get().Scan(kMixed, 100, found);
  using K = Cp932Exception::Kind;
  ASSERT_EQ(found.size(), 5u);
  const std::pair<std::uint64_t, K> expected[] = {{103, K::NotUnique},
                                                  {105, K::NotUnique},
                                                  {107, K::Unconvertible},
                                                  {109, K::Unconvertible},
                                                  {111, K::Unconvertible}};
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].Offset, expected[i].first) << i;
    EXPECT_EQ(found[i].What, expected[i].second) << i;
  }
  EXPECT_EQ(found[0].SourceBytes(), "\x87\x90");
  EXPECT_EQ(found[4].SourceBytes(), "\x81");
}

TEST(Cp932Export, EveryOtherCharacterConvertsBackToItsOwnBytes) {
  // Only what Scan lists may come back different: walk every single byte and every pair.
  const Cp932Table& table = Cp932Table::Get();
  int notUnique = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F || (lead > 0x9F && lead < 0xE0)) continue;
      const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
      std::vector<Cp932Exception> found;
      table.Scan(pair, 0, found);
      if (!found.empty()) {
        notUnique += found[0].What == Cp932Exception::Kind::NotUnique;
        continue;
      }
      std::string utf8;
      table.Append(pair, Utf8Escape::None, utf8);
      ASSERT_EQ(Utf8ToCp932(utf8).bytes, pair) << std::hex << lead << trail;
    }
  }
  // The NEC-selected IBM extensions alone are 374 characters.
  EXPECT_GT(notUnique, 374);
}

TEST(Cp932Export, EscapesForJsonAndHtml) {
  std::string json, html;
  Cp932Table::Get().Append("\"\\\x01\r\n\x83\x5C", Utf8Escape::Json, json);
  Cp932Table::Get().Append("<a&b>\"\r\nc\rd", Utf8Escape::Html, html);
  EXPECT_EQ(json, "\\\"\\\\\\u0001\\r\\nソ");  // 0x5C as a second byte is no backslash
  EXPECT_EQ(html, "&lt;a&amp;b&gt;&quot;\nc\nd");
}

TEST(Cp932Export, LongTextConvertsAndScansAsItsCharactersDoAlone) {
  // ASCII goes a word at a time: wherever in a word a run ends, at a byte to escape or one of
  // 0x80 and up, the text must come out as its characters do one by one.
  const std::string pieces[] = {"ab",       "\"",       "\\",   "\x01",     "<",
                                "&",        "\r\n",     "\rq",  "\x8A\xBF", "\x83\x5C",
                                "\x85\x40", "\x87\x90", "\xB1", "\xFD",     "xyz1234"};
  const Cp932Table& table = Cp932Table::Get();
  const Utf8Escape escapes[] = {Utf8Escape::None, Utf8Escape::Json, Utf8Escape::Html};
  std::string text, expected[3];
  std::vector<Cp932Exception> expectedFound;
  unsigned seed = 1;
  for (int k = 0; k < 3000; ++k) {
    seed = seed * 1103515245u + 12345u;
    const std::string& p = pieces[(seed >> 16) % std::size(pieces)];
    table.Scan(p, text.size(), expectedFound);
    text += p;
    for (int e = 0; e < 3; ++e)
      table.Append(p, escapes[e], expected[e]);
  }
  for (int e = 0; e < 3; ++e) {
    std::string out;
    table.Append(text, escapes[e], out);
    EXPECT_EQ(out, expected[e]) << e;
  }
  std::vector<Cp932Exception> found;
  table.Scan(text, 0, found);
  ASSERT_EQ(found.size(), expectedFound.size());
  for (std::size_t i = 0; i < found.size(); ++i)
    EXPECT_EQ(found[i].Offset, expectedFound[i].Offset) << i;
}

}  // namespace
}  // namespace yuzulog
