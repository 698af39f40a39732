#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstring>
#include <random>

#include "logdata/logfiles.h"
#include "search/search.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::ParsedLog;
using testing::ScriptedProgress;
using testing::Sjis;

MessageSpec Msg(int number, std::string body) {
  MessageSpec m;
  m.Number = number;
  m.Body = std::move(body);
  return m;
}

// The numbers of the messages in a hit list.
std::vector<int> Numbers(const std::vector<TLogMessage*>& hits) {
  std::vector<int> n;
  for (const TLogMessage* m : hits)
    n.push_back(m->Number);
  return n;
}

TEST(SplitCompound, CommasAndHalfWidthBlanksSeparateAlternatives) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitCompound(Sjis("ミカン,みかん,蜜柑")),
            (V{Sjis("ミカン"), Sjis("みかん"), Sjis("蜜柑")}));
  EXPECT_EQ(SplitCompound(Sjis("ミカン みかん")), (V{Sjis("ミカン"), Sjis("みかん")}));
  EXPECT_EQ(SplitCompound(Sjis("ミカン　みかん")), (V{Sjis("ミカン　みかん")}));
  EXPECT_EQ(SplitCompound(" a , b ,c"), (V{"a", "b", "c"}));
  EXPECT_EQ(SplitCompound("a,,b"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitCompound(""), V{});
  EXPECT_EQ(SplitCompound(" \t "), V{});
  EXPECT_EQ(SplitCompound("\"a, b\",\"say \"\"hi\"\"\""), (V{"a, b", "say \"hi\""}));
  EXPECT_EQ(SplitCompound("\"open, to the end"), (V{"open, to the end"}));
  // A NUL ends the field instead of looping on an empty alternative forever.
  EXPECT_EQ(SplitCompound(std::string("a\0b", 3)), (V{"a"}));
}

TEST(BuildConditions, CheckedFieldsInOrderAndTheScanModeTable) {
  SearchFields f;
  f.Edit = {"one ", "two", "three", ""};
  f.CheckBox = {true, false, true, true};
  Conditions c;
  ScanMode mode = static_cast<ScanMode>(9);
  BuildConditions(f, c, mode);
  ASSERT_EQ(c.Count(), 3);
  EXPECT_EQ(c.Items()[0].Keys[0].KeyLength, 4);  // not trimmed
  EXPECT_EQ(c.Items()[1].Keys[0].KeyLength, 5);
  EXPECT_EQ(c.Items()[2].Keys[0].KeyLength, 0);
  EXPECT_EQ(mode, ScanMode::Exact);

  f.Enhanced = true;
  f.Edit[3] = "  ";
  BuildConditions(f, c, mode);
  ASSERT_EQ(c.Count(), 3);
  EXPECT_TRUE(c.Items()[2].Compound);
  EXPECT_TRUE(c.Items()[2].Keys.empty());

  // The modes' numbers: the list's index twice, plus one when case is ignored.
  const int table[3][2] = {{0, 1}, {2, 3}, {4, 5}};
  for (int index = 0; index < 3; ++index)
    for (int ignoreCase = 0; ignoreCase < 2; ++ignoreCase)
      EXPECT_EQ(static_cast<int>(ScanModeFor(ignoreCase != 0, IgnoreCodeFromIndex(index))),
                table[index][ignoreCase]);
  EXPECT_EQ(IgnoreCodeFromIndex(7), IgnoreCode::None);
  EXPECT_EQ(IgnoreCodeFromIndex(-1), IgnoreCode::None);
}

TEST(UpdateSearchEnabled, NeedsATreeNodeAndAUsableField) {
  SearchFields f;
  EXPECT_FALSE(UpdateSearchEnabled(f, 5));
  f.CheckBox[2] = true;  // checked by hand, but empty
  EXPECT_FALSE(UpdateSearchEnabled(f, 5));
  f.Edit[2] = "x";
  EXPECT_TRUE(UpdateSearchEnabled(f, 5));
  EXPECT_FALSE(UpdateSearchEnabled(f, 0));
  SearchFields id;
  id.EditID = "A";
  EXPECT_FALSE(HasUsableField(id));
  id.CheckBoxID = true;
  EXPECT_TRUE(HasUsableField(id));
  EXPECT_FALSE(NarrowingEnabled(true, 0));
  EXPECT_TRUE(NarrowingEnabled(true, 3));
}

TEST(EncodeTypedFields, CheckedFieldsBecomeCodePage932AndUnmappableTextStopsTheSearch) {
  SearchFields typed;
  typed.Edit = {"柚子〜", "😀", "", "ignored 😀"};
  typed.CheckBox = {true, false, true, false};
  typed.EditName = "ゆず";
  typed.CheckBoxName = true;
  EncodedFields e = EncodeTypedFields(typed);
  ASSERT_EQ(e.Error, "");
  // The wave dash typed here is the one code page 932 writes as 0x81 0x60.
  EXPECT_EQ(e.Fields.Edit[0], Sjis("柚子") + "\x81\x60");
  EXPECT_EQ(e.Fields.Edit[1], "");  // unchecked: not looked at
  EXPECT_EQ(e.Fields.EditName, Sjis("ゆず"));
  EXPECT_EQ(e.Fields.CheckBox, typed.CheckBox);

  typed.CheckBox[1] = true;
  e = EncodeTypedFields(typed);
  EXPECT_EQ(e.Error, "キーワード2 の「😀」はシフトJISにない文字なので検索できません");
  EXPECT_FALSE(HasUsableField(e.Fields));
  typed.CheckBox[1] = false;
  typed.EditID = "Ａ①𠀋";
  typed.CheckBoxID = true;
  EXPECT_EQ(EncodeTypedFields(typed).Error,
            "ＩＤ の「𠀋」はシフトJISにない文字なので検索できません");
}

TEST(SearchTexts, NoticeCarriesTheTimeOrTheInterruptedMark) {
  EXPECT_EQ(SearchNoticeText(12, false, 345), "12 個の発言がヒットしました\r\n\r\n(345 msec)");
  EXPECT_EQ(SearchNoticeText(0, true, 345), "0 個の発言がヒットしました\r\n\r\n （中断しました）");
  EXPECT_EQ(InterruptedCaption(3), "検索は中断されています（3 個の発言がヒットしました）");
}

class SearchMessagesTest : public ::testing::Test {
 protected:
  void Load(std::vector<MessageSpec> specs) {
    LogBuilder b;
    for (const MessageSpec& s : specs)
      b.Add(s);
    Files.Append(ParsedLog(b.Text()));
  }
  std::vector<int> Run(const SearchFields& f, bool narrow = false) {
    SearchJob job;
    job.Narrow = narrow;
    NullProgress progress;
    EXPECT_EQ(State.SearchMessages(progress, job, f, Files, Files.TotalMessages()),
              OpStatus::Completed);
    return Numbers(job.Hits);
  }
  LogFiles Files;
  SearchState State;
};

TEST_F(SearchMessagesTest, KeywordFieldsAreAndCompoundAlternativesAreOr) {
  Load({Msg(1, "ミカンは甘い"), Msg(2, "みかんは甘い"), Msg(3, "ミカンは酸っぱい"),
        Msg(4, "甘い柿")});
  SearchFields f;
  f.Enhanced = true;
  f.Edit[0] = Sjis("ミカン,みかん");
  f.Edit[1] = Sjis("甘い");
  f.CheckBox = {true, true, false, false};
  EXPECT_EQ(Run(f), (std::vector<int>{1, 2}));
  f.Enhanced = false;
  f.Edit[0] = Sjis("ミカン");
  f.Edit[1] = "";
  f.Edit[2] = Sjis("甘い");
  f.CheckBox = {true, false, true, false};
  EXPECT_EQ(Run(f), (std::vector<int>{1}));
}

TEST_F(SearchMessagesTest, TrailingSpaceOfAPlainKeywordCountsExceptWhenBlanksAreIgnored) {
  Load({Msg(1, "word here"), Msg(2, "word")});
  SearchFields f;
  f.Edit[0] = "word ";
  f.CheckBox[0] = true;
  EXPECT_EQ(Run(f), (std::vector<int>{1}));
  f.IgnoreCode = IgnoreCode::LineBreaks;
  EXPECT_EQ(Run(f), (std::vector<int>{1}));
  f.IgnoreCode = IgnoreCode::LineBreaksAndBlanks;
  EXPECT_EQ(Run(f), (std::vector<int>{}));
}

TEST_F(SearchMessagesTest, IdFoldsCaseHandleNameFoldsOnlyWhenNarrowing) {
  MessageSpec a = Msg(1, "x");
  a.ID = "ABC01234";
  a.Handle = "Taro";
  MessageSpec b = Msg(2, "x");
  b.ID = "XYZ99999";
  b.Handle = "TARO";
  Load({a, b});
  SearchFields f;
  f.CheckBoxID = true;
  f.EditID = "abc01234";
  EXPECT_EQ(Run(f), (std::vector<int>{1}));
  f.EditID = "abc0123";  // equal lengths required
  EXPECT_EQ(Run(f), (std::vector<int>{}));
  f.EditID = "";  // a checked, empty ID matches nothing
  EXPECT_EQ(Run(f), (std::vector<int>{}));

  SearchFields n;
  n.CheckBoxName = true;
  n.EditName = "taro";
  EXPECT_EQ(Run(n), (std::vector<int>{}));
  n.EditName = "TARO";
  EXPECT_EQ(Run(n), (std::vector<int>{2}));
  State.Results = {&Files[0].Items(0), &Files[0].Items(1)};
  n.EditName = "taro";
  EXPECT_EQ(Run(n, true), (std::vector<int>{1, 2}));
}

TEST_F(SearchMessagesTest, OriginalOnlySkipsCommentsAndHeaderOnlyWhenAsked) {
  MessageSpec reply = Msg(2, "keyword");
  reply.CommentTo = 1;
  MessageSpec titled = Msg(3, "body");
  titled.Title = "keyword title";
  Load({Msg(1, "keyword"), reply, titled});
  SearchFields f;
  f.Edit[0] = "keyword";
  f.CheckBox[0] = true;
  EXPECT_EQ(Run(f), (std::vector<int>{1, 2}));
  f.CheckBoxOrgMes = true;
  EXPECT_EQ(Run(f), (std::vector<int>{1}));
  f.IncludeHeader = true;
  EXPECT_EQ(Run(f), (std::vector<int>{1, 3}));
}

TEST_F(SearchMessagesTest, NarrowingKeepsTheDisplayOrderOfTheSurvivors) {
  Load({Msg(1, "apple pie"), Msg(2, "apple"), Msg(3, "apple pie")});
  State.Results = {&Files[0].Items(2), &Files[0].Items(1), &Files[0].Items(0)};
  SearchFields f;
  f.Edit[0] = "pie";
  f.CheckBox[0] = true;
  EXPECT_EQ(Run(f, true), (std::vector<int>{3, 1}));
  EXPECT_EQ(Run(f, false), (std::vector<int>{1, 3}));
}

TEST_F(SearchMessagesTest, SearchOverWholeFilesFindsWhatEachMessagesTestFinds) {
  // The search looks for a keyword's rarest byte pair in each file's text at once and tests only
  // the messages that hold it: the hits must be those of the test run on every message. Bodies
  // and titles put the keywords across line ends and blanks, at message edges and in headers.
  const char* pieces[] = {"ab", "AB", "a\nb", "a b",    "a　b", "甘い", "甘\nい", "甘 い",
                          "x",  "  ", "\n",   "ミカン", "a",    "b",    "カ"};
  const char* titles[] = {"ab", "タイトル", "甘い話", ""};
  std::mt19937 next(2024);
  for (int file = 0; file < 4; ++file) {
    std::vector<MessageSpec> specs;
    for (int n = 1; n <= 60; ++n) {
      std::string body;
      for (std::uint64_t i = next() % 12; i > 0; --i)
        body += pieces[next() % std::size(pieces)];
      MessageSpec m = Msg(n, body);
      m.Title = titles[next() % std::size(titles)];
      specs.push_back(m);
    }
    Load(specs);
  }
  struct Fields {
    std::vector<std::string> Edits;
    bool Enhanced;
  };
  const Fields searches[] = {{{"ab"}, false},
                             {{"AB"}, false},
                             {{Sjis("甘い")}, false},
                             {{"b"}, false},
                             {{"a b"}, false},
                             {{Sjis("カン")}, false},
                             {{"ab", Sjis("甘い")}, false},
                             {{"ab," + Sjis("甘い")}, true},
                             {{""}, false}};
  for (const Fields& search : searches) {
    for (const bool ignoreCase : {false, true}) {
      for (const IgnoreCode code :
           {IgnoreCode::None, IgnoreCode::LineBreaks, IgnoreCode::LineBreaksAndBlanks}) {
        for (const bool includeHeader : {false, true}) {
          SearchFields f;
          for (std::size_t i = 0; i < search.Edits.size(); ++i) {
            f.Edit[i] = search.Edits[i];
            f.CheckBox[i] = true;
          }
          f.Enhanced = search.Enhanced;
          f.IgnoreCase = ignoreCase;
          f.IgnoreCode = code;
          f.IncludeHeader = includeHeader;
          Conditions conditions;
          ScanMode mode;
          BuildConditions(f, conditions, mode);
          std::vector<int> expected;
          for (const auto& log : Files)
            for (const TLogMessage& m : log->Messages())
              if (m.Matches(conditions, mode, includeHeader)) expected.push_back(m.Number);
          ASSERT_EQ(Run(f), expected) << search.Edits[0] << " mode " << static_cast<int>(mode)
                                      << " header " << includeHeader;
        }
      }
    }
  }
}

TEST_F(SearchMessagesTest, ProgressEvery512AndCancelKeepsThePartialHits) {
  std::vector<MessageSpec> many;
  for (int i = 1; i <= 1200; ++i)
    many.push_back(Msg(i, i % 2 ? "hit" : "miss"));
  Load(many);
  Load({Msg(5000, "hit")});  // a later file, never reached after the cancel
  SearchFields f;
  f.Edit[0] = "hit";
  f.CheckBox[0] = true;

  ScriptedProgress all;
  SearchJob job;
  EXPECT_EQ(State.SearchMessages(all, job, f, Files, 1201), OpStatus::Completed);
  EXPECT_EQ(job.Hits.size(), 601u);
  EXPECT_EQ(all.Percents, (std::vector<int>{42, 85}));
  EXPECT_EQ(all.Texts, (std::vector<std::string>{"検索しています", "256 個", "512 個"}));

  ScriptedProgress cancelling(2);  // the poll at the start, then the one after 512 messages
  SearchJob partial;
  EXPECT_EQ(State.SearchMessages(cancelling, partial, f, Files, 1201), OpStatus::Cancelled);
  EXPECT_EQ(partial.Hits.size(), 256u);
  EXPECT_EQ(cancelling.Polls, 2);
}

TEST_F(SearchMessagesTest, HitRangesCountFromTheHeadAndCoverTheBodyOnly) {
  MessageSpec m = Msg(1, "x  ab\nab");
  m.Title = "ab";
  Load({m});
  SearchFields f;
  f.Edit[0] = "AB";
  f.CheckBox[0] = true;
  f.IgnoreCase = true;
  f.IgnoreCode = IgnoreCode::LineBreaksAndBlanks;
  f.IncludeHeader = true;
  Run(f);
  std::vector<std::int64_t> list;
  const TLogMessage& msg = Files[0].Items(0);
  State.GetHitRanges(list, msg);
  const auto h = static_cast<std::int64_t>(msg.HeaderSize());
  // The mode-4/5 hit starts on the first skipped blank and covers it; every restart lands on the
  // next character, so the second blank and the letters start hits of their own. Line breaks
  // never start one.
  EXPECT_EQ(list, (std::vector<std::int64_t>{h + 1, 4, h + 2, 3, h + 3, 2, h + 7, 2}));
}

TEST(HitRanges, OffsetsPastTwoGigabytesStayExact) {
  // A message whose header runs over 2.5 GB, its body on the last page: the reserved pages in
  // between are never touched, so no memory is spent on them.
  constexpr std::size_t kHeader = std::size_t{5} << 29;
  constexpr std::size_t kPage = 4096;
  void* area = ::mmap(nullptr, kHeader + kPage, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (area == MAP_FAILED) GTEST_SKIP() << "no room for 2.5 GB of address space";
  char* head = static_cast<char*>(area);
  std::memcpy(head + kHeader, "x ab", 5);
  TLogMessage m(nullptr);
  m.HeadStart = head;
  m.BodyStart = head + kHeader;
  m.TextEnd = head + kHeader + 4;
  SearchState state;
  SearchFields f;
  f.Edit[0] = "ab";
  f.CheckBox[0] = true;
  BuildConditions(f, state.FConditions, state.ScanMode);
  std::vector<std::int64_t> list;
  state.GetHitRanges(list, m);
  EXPECT_EQ(list, (std::vector<std::int64_t>{static_cast<std::int64_t>(kHeader) + 2, 2}));
  ::munmap(area, kHeader + kPage);
}

}  // namespace
}  // namespace yuzulog
