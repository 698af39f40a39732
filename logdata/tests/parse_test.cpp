// Cutting a log text into messages: which lines are headers, where each message ends, and what
// happens to the bytes between messages.
#include <gtest/gtest.h>

#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::ParsedLog;
using testing::Sjis;

MessageSpec Msg(int number, std::string body = "本文", int room = 12) {
  MessageSpec m;
  m.Number = number;
  m.Room = room;
  m.Body = std::move(body);
  return m;
}

std::string Line1(int number, int room = 12) {
  return LogBuilder::HeaderLine1(Msg(number, "", room));
}

TEST(ParseTest, CutsCrLfTextIntoMessagesEndingBeforeTheNextHeader) {
  const std::string text = LogBuilder().Add(Msg(1, "一行目\nline2")).Add(Msg(2, "二")).Text();
  auto log = ParsedLog(text);
  ASSERT_EQ(log->Count(), 2);
  const TLogMessage& a = log->Items(0);
  EXPECT_EQ(a.HeadStart, log->Buffer());
  EXPECT_EQ(std::string(a.Body()), Sjis("一行目") + "\r\nline2");
  EXPECT_EQ(*a.TextEnd, '\0');
  EXPECT_EQ(a.TextEnd[1], '\0');  // both bytes of the CR LF before the next header
  const TLogMessage& b = log->Items(1);
  EXPECT_EQ(b.Number, 2);
  // The last message runs to the end of the text, its final line end included.
  EXPECT_EQ(std::string(b.Body()), Sjis("二") + "\r\n");
  EXPECT_EQ(b.TextEnd, log->Buffer() + log->BufferSize() - 1);
}

TEST(ParseTest, KeepsLastByteOfLfOnlyAndCrOnlyMessages) {
  for (const std::string eol : {"\n", "\r"}) {
    const std::string text = LogBuilder(eol).Add(Msg(1, "あいう")).Add(Msg(2, "x")).Text();
    auto log = ParsedLog(text);
    ASSERT_EQ(log->Count(), 2);
    // Only the one line-end byte becomes NUL; the double-byte character before it stays whole.
    EXPECT_EQ(std::string(log->Items(0).Body()), Sjis("あいう"));
    EXPECT_EQ(log->Items(0).BodySize(), 6u);
  }
}

TEST(ParseTest, HeaderAtVeryStartAndPreambleBeforeFirstHeader) {
  auto atStart = ParsedLog(LogBuilder().Add(Msg(1)).Text());
  ASSERT_EQ(atStart->Count(), 1);
  EXPECT_EQ(atStart->Items(0).HeadStart, atStart->Buffer());

  const std::string text = "preamble\r\n" + LogBuilder().Add(Msg(1)).Text();
  auto log = ParsedLog(text);
  ASSERT_EQ(log->Count(), 1);
  EXPECT_EQ(std::string(log->Buffer(), 10), std::string("preamble\0\0", 10));
  EXPECT_EQ(log->Items(0).HeadStart, log->Buffer() + 10);
}

TEST(ParseTest, RepeatedOrSmallerNumberAndOtherRoomAreBodyText) {
  const std::string text = LogBuilder()
                               .Add(Msg(5, "a"))
                               .Add(Msg(5, "dup"))    // same number: body of 5
                               .Add(Msg(3, "older"))  // smaller number: body of 5
                               .Add(Msg(6, "x", 13))  // other room: body of 5
                               .Add(Msg(7, "seven"))
                               .Text();
  auto log = ParsedLog(text);
  ASSERT_EQ(log->Count(), 2);
  EXPECT_EQ(log->Items(0).Number, 5);
  EXPECT_NE(std::string(log->Items(0).Body()).find(Line1(6, 13)), std::string::npos);
  EXPECT_EQ(log->Items(1).Number, 7);
}

TEST(ParseTest, FirstRoomZeroLetsNextHeaderSetTheRoom) {
  MessageSpec m0 = Msg(1, "zero", 0);
  const std::string text = LogBuilder().Add(m0).Add(Msg(2, "b", 7)).Add(Msg(3, "c", 8)).Text();
  auto log = ParsedLog(text);
  ASSERT_EQ(log->Count(), 2);  // room 8 differs from the room 7 set by message 2
  EXPECT_EQ(log->Items(0).Room, 0);
  EXPECT_EQ(log->Items(1).Room, 7);
  EXPECT_EQ(log->Room, 7);
}

TEST(ParseTest, EmptyBodyNeverRunsIntoTheNextHeader) {
  MessageSpec a = Msg(1);
  const std::string text = LogBuilder::HeaderLine1(a) + "\r\n" + LogBuilder::HeaderLine2(a) +
                           "\r\n" + LogBuilder().Add(Msg(2, "next")).Text();
  auto log = ParsedLog(text);
  ASSERT_EQ(log->Count(), 2);
  const TLogMessage& m = log->Items(0);
  EXPECT_EQ(m.BodySize(), 0u);
  EXPECT_EQ(m.BodyStart, m.TextEnd);
  EXPECT_LE(m.Line2Start, m.BodyStart);
  EXPECT_EQ(*m.TextEnd, '\0');
  EXPECT_EQ(std::string(m.Text()),
            LogBuilder::HeaderLine1(a) + "\r\n" + LogBuilder::HeaderLine2(a));
}

TEST(ParseTest, NulInsideTheFileIsReadAsAQuestionMark) {
  // A NUL once ended the text: the messages after it could be neither shown nor found.
  std::string text = LogBuilder().Add(Msg(1, "before")).Add(Msg(2)).Text();
  text[text.find("before") + 3] = '\0';
  text += std::string(1, '\0');
  auto log = ParsedLog(text);
  ASSERT_EQ(log->Count(), 2);
  EXPECT_EQ(log->NulBytes, 2u);
  EXPECT_EQ(std::string(log->Items(0).Body()), "bef?re");
  EXPECT_EQ(log->Items(1).Number, 2);
  EXPECT_EQ(log->Items(1).Text().back(), '?');
}

TEST(ParseTest, FileWithoutFinalLineEndAndFileWithoutHeader) {
  std::string text = LogBuilder().Add(Msg(1, "last")).Text();
  text.resize(text.size() - 2);
  auto log = ParsedLog(text);
  ASSERT_EQ(log->Count(), 1);
  EXPECT_EQ(std::string(log->Items(0).Body()), "last");

  EXPECT_EQ(ParsedLog("just some text\r\nno header\r\n")->Count(), 0);
  EXPECT_EQ(ParsedLog("")->Count(), 0);
}

TEST(ParseTest, HeaderRecognitionNeedsEveryFixedByte) {
  const std::string good = Line1(1);
  // Each position of the first 22 bytes, broken, makes the line body text.
  for (int i = 0; i < 22; ++i) {
    std::string bad = good;
    bad[static_cast<std::size_t>(i)] = (i == 11 || i == 20 || i == 21) ? 'x' : ' ';
    const std::string text = bad + "\r\n( 1)\r\nbody\r\n";
    EXPECT_EQ(ParsedLog(text)->Count(), 0) << "column " << i;
  }
  // Nothing after column 21 is tested: a header without handle name or title is a header.
  EXPECT_EQ(ParsedLog(good.substr(0, 22) + "\r\n(12)\r\n")->Count(), 1);
  // A header line cut short by its line end fails.
  EXPECT_EQ(ParsedLog(good.substr(0, 21) + "\r\n(12)\r\n")->Count(), 0);
}

TEST(ParseTest, HeaderAtTheVeryEndOfTheBufferReadsNoFurther) {
  // Line 1 alone at the end: line 2 and the body are empty, columns past the end read nothing.
  auto log = ParsedLog(Line1(9).substr(0, 22));
  ASSERT_EQ(log->Count(), 1);
  const TLogMessage& m = log->Items(0);
  EXPECT_EQ(m.Number, 9);
  EXPECT_EQ(m.CommentTo, -1);
  EXPECT_EQ(m.Room, 0);
  EXPECT_EQ(m.DateText(), "");
  EXPECT_EQ(m.HandleName(), "");
  EXPECT_EQ(m.BodySize(), 0u);
}

}  // namespace
}  // namespace yuzulog
