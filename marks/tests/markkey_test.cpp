// The key that names a marked message: what it takes from the header and what tells two
// messages apart.
#include "marks/markkey.h"

#include <gtest/gtest.h>

#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::ParsedLog;

TEST(MarkKeyTest, TakesRoomNumberWriterAndDateTimeFromTheHeader) {
  MessageSpec m;
  m.Room = 12;
  m.Number = 345;
  m.ID = "XYZ98765";
  m.Date = "97/05/04";
  m.Time = "21:25";
  auto log = ParsedLog(LogBuilder().Add(m).Text());
  const MarkKey key = MarkKeyOf(log->Items(0));
  EXPECT_EQ(key.Room, 12);
  EXPECT_EQ(key.Number, 345);
  EXPECT_EQ(key.IdText(), "XYZ98765");
  EXPECT_EQ(key.WhenText(), "97/05/04 21:25");
  EXPECT_EQ(key, MakeMarkKey(12, 345, "XYZ98765", "97/05/04 21:25"));
}

TEST(MarkKeyTest, AReusedNumberIsAnotherMessageAndAReloadedOneTheSame) {
  MessageSpec first;
  MessageSpec reused = first;
  reused.Date = "99/01/02";
  MessageSpec otherWriter = first;
  otherWriter.ID = "DEF05678";
  // A file holds increasing numbers only: each message comes from a file of its own.
  auto key = [](const MessageSpec& m) {
    auto log = ParsedLog(LogBuilder().Add(m).Text());
    return MarkKeyOf(log->Items(0));
  };
  const MarkKey a = key(first);
  EXPECT_NE(a, key(reused));
  EXPECT_NE(a, key(otherWriter));
  EXPECT_EQ(a, key(first));
  EXPECT_EQ(HashMarkKey(a), HashMarkKey(key(first)));
  EXPECT_NE(HashMarkKey(a), HashMarkKey(key(reused)));
}

TEST(MarkKeyTest, AShortSecondLineEndsTheDateTimeAtItsLineEnd) {
  const std::string text = LogBuilder::HeaderLine1(MessageSpec{}) + "\r\n(12)   97/05\r\nbody\r\n";
  auto log = ParsedLog(text);
  ASSERT_EQ(log->Count(), 1);
  EXPECT_EQ(MarkKeyOf(log->Items(0)).WhenText(), "97/05");
  // Parts longer than their fields are cut, never written past them.
  const MarkKey key = MakeMarkKey(1, 2, "123456789", "97/05/04 21:25:59");
  EXPECT_EQ(key.IdText(), "12345678");
  EXPECT_EQ(key.WhenText(), "97/05/04 21:25");
}

}  // namespace
}  // namespace yuzulog
