#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "logdata/motcle.h"
#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::Sjis;

// Modes by their numbers, as the tests name them; numbers above 5 are modes that find nothing.
ScanMode Mode(int number) {
  return static_cast<ScanMode>(number);
}

// text and its terminator, then copies of the keyword that a search allowed to read past the
// terminator must never report, to well beyond the widest pair of blocks.
std::string WithTail(const std::string& text, std::string_view key) {
  std::string block = text + '\0';
  const std::string filler = key.empty() ? std::string("x") : std::string(key);
  while (block.size() < text.size() + 150)
    block += filler;
  return block;
}

// The plain loop's answer for the scan from p, after checking that every faster form agrees:
// Find (the AVX2 scan on a processor that has it) and FindBaseline (the 16-byte one everywhere),
// each with the terminator as the only bound and with the block's end as the readable bound.
const char* CheckedFind(const TMotCle& k, const char* p, const char* readable, int mode) {
  const char* plain = k.FindPlain(p, Mode(mode));
  EXPECT_EQ(k.Find(p, Mode(mode)), plain) << "mode " << mode;
  EXPECT_EQ(k.FindBaseline(p, Mode(mode)), plain) << "mode " << mode;
  EXPECT_EQ(k.Find(p, Mode(mode), readable), plain) << "mode " << mode << ", bounded";
  EXPECT_EQ(k.FindBaseline(p, Mode(mode), readable), plain) << "mode " << mode << ", bounded";
  return plain;
}

// Random texts over a small alphabet, from a fixed seed.
class RandomTexts {
 public:
  RandomTexts(std::string alphabet, unsigned seed) : FAlphabet(std::move(alphabet)), FRng(seed) {}
  std::string operator()(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
      s += FAlphabet[FRng() % FAlphabet.size()];
    return s;
  }
  unsigned Next() { return static_cast<unsigned>(FRng()); }

 private:
  std::string FAlphabet;
  std::mt19937 FRng;
};

// The offset of the hit in text, or -1, as every form of the search finds it.
long FindAt(std::string_view key, const std::string& text, int mode) {
  TMotCle k(key);
  const std::string block = WithTail(text, key);
  const char* plain = CheckedFind(k, block.c_str(), block.data() + block.size(), mode);
  return plain == nullptr ? -1 : plain - block.c_str();
}

TEST(TMotCle, StorageHoldsMaskAndTextEachFollowedByZeros) {
  const std::string key = "aB" + Sjis("あ") + "1";
  TMotCle k(key);
  ASSERT_EQ(k.KeyLength, 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(k.KeyText())), key);
  const unsigned char expectedMask[] = {0xDF, 0xDF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(k.KeyMask()[i], expectedMask[i]) << i;
  for (int i = 5; i < 9; ++i)
    EXPECT_EQ(k.KeyText()[i], 0) << i;
}

TEST(TMotCle, SecondByteThatLooksLikeALetterIsNotFolded) {
  // 0x83 0x41 (ア): the 0x41 after the lead byte compares exactly.
  TMotCle k("\x83\x41");
  EXPECT_EQ(k.KeyMask()[1], 0xFF);
  EXPECT_EQ(FindAt("\x83\x41", "\x83\x61", 1), -1);
}

TEST(Find, FoldsOnlyHalfWidthAsciiLetters) {
  EXPECT_EQ(FindAt("City", "xx CITY", 1), 3);
  EXPECT_EQ(FindAt("City", "city", 1), 0);
  EXPECT_EQ(FindAt("City", "cItY", 1), 0);
  EXPECT_EQ(FindAt("City", "CITY city", 0), -1);
  EXPECT_EQ(FindAt("City", "a City", 0), 2);
  const std::string fullWidth = Sjis("Ｃｉｔｙ");
  const std::string fullUpper = Sjis("ＣＩＴＹ");
  for (int mode = 0; mode < 6; ++mode) {
    EXPECT_EQ(FindAt(fullWidth, fullUpper, mode), -1) << mode;
    EXPECT_EQ(FindAt(fullWidth, "x" + fullWidth, mode), 1) << mode;
  }
  // Only bit 0x20 of letters is ignored: '@' (0x40) and '`' (0x60) stay apart.
  EXPECT_EQ(FindAt("@", "`", 1), -1);
}

TEST(Find, NeverStartsInsideADoubleByteCharacter) {
  for (int mode = 0; mode < 6; ++mode) {
    EXPECT_EQ(FindAt("A", "\x83\x41", mode), -1) << mode;
    EXPECT_EQ(FindAt("A",
                     "\x83\x41"
                     "A",
                     mode),
              2)
        << mode;
    // A run of lead-valued bytes: 0x88 0x9F 0x88 0x9F, then the key byte pair 0x9F 0x88 would
    // straddle two characters.
    EXPECT_EQ(FindAt("\x9F\x88", "\x88\x9F\x88\x9F", mode), -1) << mode;
    EXPECT_EQ(FindAt("\x9F\x88", "a\x88\x9F\x88\x9F\x9F\x88", mode), 5) << mode;
  }
}

TEST(Find, LineBreaksAreSkippedInModes2To5) {
  const std::string key = Sjis("甘い");
  const std::string split = Sjis("甘") + "\r\n" + Sjis("い");
  EXPECT_EQ(FindAt(key, split, 0), -1);
  EXPECT_EQ(FindAt(key, split, 1), -1);
  for (int mode = 2; mode < 6; ++mode)
    EXPECT_EQ(FindAt(key, split, mode), 0) << mode;
  // Even between the two bytes of one character.
  EXPECT_EQ(FindAt(key, "\x8A\r\n\xC3\x82\xA2", 2), 0);
  // A hit never starts on a line break, but the blank run before it counts in modes 4-5.
  EXPECT_EQ(FindAt("ab", "\r\nab", 2), 2);
  EXPECT_EQ(FindAt("ab", "\r\n ab", 4), 2);
  EXPECT_EQ(FindAt("ab", " \r\nab", 4), 0);
}

TEST(Find, BlanksAreSkippedOnlyInModes4And5) {
  const std::string a = Sjis("ミ"), b = Sjis("カ");
  for (const std::string& gap : {std::string(" "), std::string("\t"), Sjis("　")}) {
    const std::string text = a + gap + b;
    EXPECT_EQ(FindAt(a + b, text, 2), -1);
    EXPECT_EQ(FindAt(a + b, text, 3), -1);
    EXPECT_EQ(FindAt(a + b, text, 4), 0);
    EXPECT_EQ(FindAt(a + b, text, 5), 0);
  }
  // A keyword holding a blank never hits in modes 4-5.
  for (const std::string& key : {std::string("a b"), std::string("a\tb"), "a" + Sjis("　") + "b"}) {
    EXPECT_EQ(FindAt(key, key, 0), 0);
    EXPECT_EQ(FindAt(key, key, 4), -1);
    EXPECT_EQ(FindAt(key, key, 5), -1);
  }
}

TEST(Find, Mode4HitStartsAtTheSkippedBlankAndCoversIt) {
  const std::string text = "x  ab";
  EXPECT_EQ(FindAt("ab", text, 4), 1);
  EXPECT_EQ(MatchedLength(text.c_str() + 1, 2, Mode(4)), 4u);
  const std::string wide = "x" + Sjis("　") + "a\r\nb";
  EXPECT_EQ(FindAt("ab", wide, 5), 1);
  EXPECT_EQ(MatchedLength(wide.c_str() + 1, 2, Mode(5)), 6u);
  EXPECT_EQ(MatchedLength("a\r\nb", 2, Mode(2)), 4u);
  EXPECT_EQ(MatchedLength("a\r\nb", 2, Mode(0)), 2u);
}

TEST(Find, EmptyKeywordEmptyTextAndBadModes) {
  EXPECT_EQ(FindAt("", "abc", 0), 0);
  EXPECT_EQ(FindAt("", "\r\n\r\nx", 2), 4);
  EXPECT_EQ(FindAt("", "\r\n", 4), -1);
  EXPECT_EQ(FindAt("", "", 0), -1);
  EXPECT_EQ(FindAt("a", "", 1), -1);
  EXPECT_EQ(FindAt("a", "a", 6), -1);
  EXPECT_EQ(FindAt("a", "a", -1), -1);
  EXPECT_EQ(FindAt("a", "a", 255), -1);
}

TEST(Find, NulByteEndsTheKeywordSoAHitNeverCoversMoreThanTheText) {
  const TMotCle key(std::string_view("ab\0cd", 5));
  EXPECT_EQ(key.KeyLength, 2);
  const std::string text = "xab";
  for (int mode = 0; mode < kScanModeCount; ++mode) {
    const char* h = key.Find(text.c_str(), Mode(mode));
    ASSERT_NE(h, nullptr) << mode;
    EXPECT_EQ(MatchedLength(h, key.KeyLength, Mode(mode)), 2u) << mode;
  }
}

TEST(Find, LeadByteBeforeTheTerminatorEndsTheScan) {
  // The buffer is exactly the text and its NUL: AddressSanitizer catches a read past it.
  for (int mode = 0; mode < 6; ++mode) {
    auto buffer = std::make_unique<char[]>(3);
    buffer[0] = 'x';
    buffer[1] = '\x82';
    buffer[2] = 0;
    TMotCle k("\x82\x41");
    EXPECT_EQ(k.Find(buffer.get(), Mode(mode)), nullptr);
    EXPECT_EQ(k.FindPlain(buffer.get(), Mode(mode)), nullptr);
    EXPECT_EQ(k.FindBaseline(buffer.get(), Mode(mode)), nullptr);
    TMotCle lead("\x82");
    EXPECT_EQ(lead.Find(buffer.get(), Mode(mode)), buffer.get() + 1);
  }
}

// The faster search must give the plain loop's answer for every text: random texts over a small
// alphabet rich in lead bytes, blanks, line breaks and letters of both cases.
TEST(Find, FastSearchAgreesWithThePlainLoopOnRandomTexts) {
  RandomTexts randomText("aAbB \t\r\n\x81\x40\x82\xA0\x88\x9F\xE0\x41\x61\x20\xFF\x80", 12345);
  int hits = 0;
  for (int round = 0; round < 4000; ++round) {
    const std::string key = randomText(1 + randomText.Next() % 3);
    // Texts longer than a pair of blocks too, with random bytes past the terminator.
    const std::string block =
        randomText(randomText.Next() % 200) + '\0' + randomText(randomText.Next() % 100);
    TMotCle k(key);
    for (int mode = 0; mode < 6; ++mode) {
      const char* p = block.c_str();
      // Every scan of the hit enumeration, from each boundary it restarts at.
      for (;;) {
        const char* plain = CheckedFind(k, p, block.data() + block.size(), mode);
        ASSERT_FALSE(HasFailure()) << "round " << round;
        if (plain == nullptr) break;
        ++hits;
        p = plain + 1;
      }
    }
  }
  EXPECT_GT(hits, 1000);
}

// Long texts: the candidate search takes the text in windows, and a run of lead-valued bytes or
// a hit may straddle a window's edge.
TEST(Find, FastSearchAgreesWithThePlainLoopAcrossLongTexts) {
  std::mt19937 rng(99);
  for (int round = 0; round < 40; ++round) {
    std::string text;
    while (text.size() < 4000 + rng() % 9000) {
      const unsigned r = rng() % 10;
      text += r < 4   ? std::string(1 + rng() % 40, '\x88')
              : r < 6 ? std::string("x\r\n ")
              : r < 8 ? std::string("\x81\x40")
                      : std::string(
                            "\x88\x9F"
                            "aB");
    }
    for (const std::string key : {"\x88\x9F",
                                  "\x9F"
                                  "a",
                                  "ab", "B", "\x88\x88\x88"}) {
      TMotCle k(key);
      const std::string block = WithTail(text, key);
      for (int mode = 0; mode < 6; ++mode) {
        for (const char* p = block.c_str(); p != nullptr;) {
          const char* plain = CheckedFind(k, p, block.data() + block.size(), mode);
          ASSERT_FALSE(HasFailure()) << "round " << round;
          p = plain == nullptr ? nullptr : plain + 1;
        }
      }
    }
  }
}

// FindPair passes over whole stretches of text, NULs included: it must give the byte loop's
// answer, and every hit the scan finds must have the pair before the text's terminator.
TEST(FindPair, AgreesWithTheByteLoopAndNeverMissesAHit) {
  // NUL bytes too: they end nothing here.
  RandomTexts randomText(std::string("aAbc \t\r\n\x81\x40\x88\x9F\xE0\x41\x61\x80") + '\0', 777);
  int hits = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string key = randomText(1 + randomText.Next() % 4);
    key = key.substr(0, key.find('\0'));
    if (key.empty()) continue;
    const std::string block = randomText(randomText.Next() % 220) + '\0';
    const char* end = block.data() + block.size();
    const TMotCle k(key);
    for (int mode = 0; mode <= kScanModeCount; ++mode) {
      for (int pair = 0; pair < std::max(k.KeyLength - 1, 1); ++pair) {
        for (const char* from = block.c_str(); from < end; from += 1 + randomText.Next() % 40) {
          const char* found = k.FindPair(from, end, pair, Mode(mode));
          ASSERT_EQ(found, k.FindPairPlain(from, end, pair, Mode(mode)))
              << "round " << round << " mode " << mode << " pair " << pair;
          if (k.FindPlain(from, Mode(mode)) != nullptr) {
            ++hits;
            ASSERT_LT(found, from + std::strlen(from))
                << "round " << round << " mode " << mode << " pair " << pair;
          }
        }
      }
    }
  }
  EXPECT_GT(hits, 1000);
}

// The block tests look at the bytes right after the pair's first byte: every run of blanks
// between the two must still let the position through, wherever it lies in a block, also where
// the second keyword byte shares its low four bits with a blank (A with 0x81, I with tab, Z
// with LF, M with CR, P with space).
TEST(FindPair, FindsThePairAcrossEveryRunOfBlanks) {
  for (const char second : {'B', 'A', 'I', 'Z', 'M', 'P'}) {
    const TMotCle k(std::string("a") + second);
    for (const std::string gap : {" ", "\t", "\r\n", "  ", " \x81\x40", "\x81\x40", "\x81\x40 ",
                                  "\x81\x40\x81\x40", "\r\n\x81\x40\t"}) {
      for (std::size_t before = 0; before < 70; ++before) {
        const std::string text = std::string(before, 'x') + "a" + gap +
                                 static_cast<char>(second | 0x20) + std::string(80, 'x');
        const char* end = text.data() + text.size();
        EXPECT_EQ(k.FindPair(text.data(), end, 0, ScanMode::FoldedIgnoringBlanks),
                  text.data() + before)
            << second << ": gap " << gap.size() << " bytes after " << before;
        EXPECT_EQ(k.FindPair(text.data(), end, 0, ScanMode::ExactIgnoringBlanks), end);
      }
    }
  }
}

TEST(FindPair, RarestPairIsThePairTheSampleLetsThroughLeast) {
  auto repeat = [](const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i)
      r += s;
    return r;
  };
  // x and y are common bytes, but seldom side by side: y z is the commoner pair.
  const std::string base = repeat("xa", 100) + repeat("ya", 100) + repeat("yz", 10) + "xy";
  const std::string blanks = base + repeat("x ", 30);  // x before a blank, skipped in modes 4-5
  const std::string capitals = base + repeat("XY", 20);
  struct Case {
    const std::string& Sample;
    ScanMode Mode;
    int Offset;
  };
  const TMotCle key("xyz");
  for (const Case& c : {Case{base, ScanMode::Exact, 0}, Case{blanks, ScanMode::Exact, 0},
                        Case{blanks, ScanMode::ExactIgnoringBlanks, 1},
                        Case{capitals, ScanMode::Exact, 0}, Case{capitals, ScanMode::Folded, 1}})
    EXPECT_EQ(key.RarestPair(c.Sample, c.Mode).Offset, c.Offset)
        << "mode " << static_cast<int>(c.Mode) << ", sample of " << c.Sample.size();
  EXPECT_EQ(TMotCle("x").RarestPair(base, ScanMode::Exact).Offset, 0);
}

TEST(Conditions, AllItemsMustHoldAndOneAlternativeSuffices) {
  Conditions c;
  EXPECT_TRUE(c.Evaluate("anything", ScanMode::Exact));
  EXPECT_TRUE(c.Evaluate("", ScanMode::Exact));
  c.AddKeyword(TMotCle("sweet"));
  std::vector<TMotCle> alternatives;
  alternatives.emplace_back("orange");
  alternatives.emplace_back("mandarin");
  c.AddCompound(std::move(alternatives));
  EXPECT_TRUE(c.Evaluate("a sweet mandarin", ScanMode::Exact));
  EXPECT_TRUE(c.Evaluate("orange, sweet", ScanMode::Exact));
  EXPECT_FALSE(c.Evaluate("a sour mandarin", ScanMode::Exact));
  EXPECT_FALSE(c.Evaluate("sweet apple", ScanMode::Exact));

  Conditions none;
  none.AddCompound({});
  EXPECT_FALSE(none.Evaluate("anything", ScanMode::Exact));
}

TEST(EnumerateHits, ListsEveryHitInsideTheBodyKeywordByKeyword) {
  Conditions c;
  c.AddKeyword(TMotCle("ab"));
  std::vector<TMotCle> alternatives;
  alternatives.emplace_back("b");
  c.AddCompound(std::move(alternatives));
  const std::string body = "abxab";
  std::vector<KeywordHit> hits;
  EnumerateHits(c, body.c_str(), ScanMode::Exact, hits);
  ASSERT_EQ(hits.size(), 4u);
  EXPECT_EQ(hits[0].Position - body.c_str(), 0);
  EXPECT_EQ(hits[1].Position - body.c_str(), 3);  // ends exactly at the body's end
  EXPECT_EQ(hits[2].Position - body.c_str(), 1);
  EXPECT_EQ(hits[3].Position - body.c_str(), 4);
  EXPECT_EQ(hits[0].Length, 2u);

  // A body that is the keyword alone is highlighted.
  hits.clear();
  const std::string alone = Sjis("蜜柑");
  Conditions one;
  one.AddKeyword(TMotCle(alone));
  EnumerateHits(one, alone.c_str(), ScanMode::Folded, hits);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].Length, alone.size());
}

TEST(EnumerateHits, NextScanStartsAtTheNextCharacterBoundary) {
  // After a hit on a double-byte character the scan resumes after its second byte, so the
  // keyword's trail byte 0x41 is not found inside it.
  Conditions c;
  std::vector<TMotCle> alternatives;
  alternatives.emplace_back("\x83\x41");
  c.AddCompound(std::move(alternatives));
  c.AddKeyword(TMotCle(""));
  std::vector<KeywordHit> hits;
  const std::string body = "\x83\x41\x83\x41";
  EnumerateHits(c, body.c_str(), ScanMode::Exact, hits);
  // Two hits of the character, then the empty keyword at both character starts.
  ASSERT_EQ(hits.size(), 4u);
  EXPECT_EQ(hits[1].Position - body.c_str(), 2);
  EXPECT_EQ(hits[3].Position - body.c_str(), 2);
}

TEST(Matches, SearchesTheBodyOrTheWholeMessage) {
  testing::MessageSpec m;
  m.ID = "KEY00001";
  m.Body = "本文";
  auto log = testing::ParsedLog(testing::LogBuilder().Add(m).Text());
  ASSERT_EQ(log->Count(), 1);
  Conditions c;
  c.AddKeyword(TMotCle("key00001"));
  EXPECT_FALSE(log->Items(0).Matches(c, ScanMode::Folded, false));
  EXPECT_TRUE(log->Items(0).Matches(c, ScanMode::Folded, true));
  EXPECT_FALSE(log->Items(0).Matches(c, ScanMode::Exact, true));
}

}  // namespace
}  // namespace yuzulog
