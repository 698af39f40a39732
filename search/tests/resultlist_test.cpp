#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstring>
#include <filesystem>

#include "search/resultlist.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::ParsedLog;
using testing::ReadFileBytes;
using testing::ScriptedProgress;
using testing::Sjis;
using testing::TempDir;

class ResultListTest : public ::testing::Test {
 protected:
  // One log per message (a log holds one room in ascending numbers); Results in the order given.
  void Load(std::vector<MessageSpec> specs) {
    for (const MessageSpec& s : specs) {
      Logs.push_back(ParsedLog(LogBuilder().Add(s).Text()));
      for (TLogMessage& m : Logs.back()->Messages())
        Results.push_back(&m);
    }
  }
  static MessageSpec Msg(int room, int number, std::string title = "t", std::string body = "b") {
    MessageSpec m;
    m.Room = room;
    m.Number = number;
    m.Title = std::move(title);
    m.Body = std::move(body);
    return m;
  }
  std::vector<std::pair<int, int>> Order() const {
    std::vector<std::pair<int, int>> o;
    for (const TLogMessage* m : Results)
      o.emplace_back(m->Room, m->Number);
    return o;
  }
  std::vector<std::unique_ptr<TLogData>> Logs;
  std::vector<TLogMessage*> Results;
};

TEST_F(ResultListTest, ColumnTextsOfARow) {
  MessageSpec m = Msg(5, 42, "Title  ", "line1\nline2");
  m.Handle = " Name";
  m.ID = "ABC01234";
  m.Date = "97/05/04";
  Load({m});
  const TLogMessage& r = *Results[0];
  EXPECT_EQ(ColumnText(r, ColRoom), " 5");
  EXPECT_EQ(ColumnText(r, ColNumber), "42");
  EXPECT_EQ(ColumnText(r, ColTitle), "Title  ");  // trailing blanks shown
  EXPECT_EQ(ColumnText(r, ColHandle), " Name");   // leading blank kept
  EXPECT_EQ(ColumnText(r, ColID), "ABC01234");
  EXPECT_EQ(ColumnText(r, ColDate), "97/05/04");
  EXPECT_EQ(ColumnText(r, ColSize), std::to_string(r.BodySize()));
}

TEST(TextOrder, FoldsLowerCaseBytesAndPutsPrefixesFirst) {
  EXPECT_EQ(TextOrder("abc", "ABC"), 0);
  EXPECT_LT(TextOrder("ab", "abc"), 0);
  EXPECT_GT(TextOrder("b", "A"), 0);
  EXPECT_LT(TextOrder("Z", "\x82\xA0"), 0);  // unsigned bytes
  // Second bytes fold too: 0x82 0x61 sorts with 0x82 0x41.
  EXPECT_EQ(TextOrder("\x82\x61", "\x82\x41"), 0);
  // '_' (0x5F) sorts after 'a', which counts as 'A' (0x41).
  EXPECT_GT(TextOrder("_", "a"), 0);
}

TEST_F(ResultListTest, NumberClickedTwiceDescendsButRoomTieBreakStillAscends) {
  Load({Msg(3, 10), Msg(1, 20), Msg(2, 10), Msg(1, 10)});
  SortState state;
  SortResults(Results, state, SortKey::Number);
  EXPECT_EQ(Order(), (std::vector<std::pair<int, int>>{{1, 10}, {2, 10}, {3, 10}, {1, 20}}));
  SortResults(Results, state, SortKey::Number);
  EXPECT_EQ(state.SortDirection, -1);
  EXPECT_EQ(Order(), (std::vector<std::pair<int, int>>{{1, 20}, {1, 10}, {2, 10}, {3, 10}}));
  SortResults(Results, state, SortKey::Number);
  EXPECT_EQ(state.SortDirection, 1);
  // Another column starts ascending; a value outside the keys sorts nothing.
  SortResults(Results, state, SortKey::Number);
  SortResults(Results, state, SortKey::Room);
  EXPECT_EQ(state.SortDirection, 1);
  EXPECT_EQ(Order(), (std::vector<std::pair<int, int>>{{1, 10}, {1, 20}, {2, 10}, {3, 10}}));
  const auto before = Order();
  SortResults(Results, state, static_cast<SortKey>(9));
  EXPECT_EQ(Order(), before);
  EXPECT_EQ(state.LastSortKey, SortKey::Room);
}

TEST_F(ResultListTest, TitleSortsTrimmedAndCaseFoldedWithRoomNumberTieBreaks) {
  Load({Msg(2, 1, "beta"), Msg(1, 2, "Alpha  "), Msg(1, 1, "BETA"), Msg(1, 3, "alpha")});
  SortState state;
  SortResults(Results, state, SortKey::Title);
  EXPECT_EQ(Order(), (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}, {1, 1}, {2, 1}}));
  SortResults(Results, state, SortKey::Title);
  EXPECT_EQ(Order(), (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}, {1, 2}, {1, 3}}));
}

TEST_F(ResultListTest, SizeDateHandleAndIdKeys) {
  MessageSpec a = Msg(1, 1, "t", "long body text");
  a.Date = "97/01/02";
  a.Handle = "bob";
  a.ID = "ZZZ00001";
  MessageSpec b = Msg(1, 2, "t", "x");
  b.Date = "96/12/31";
  b.Handle = "Alice";
  b.ID = "AAA00001";
  Load({a, b});
  for (const SortKey key :
       {SortKey::HandleName, SortKey::ID, SortKey::BodySize, SortKey::DateTime}) {
    SortState state;
    SortResults(Results, state, key);
    EXPECT_EQ(Results[0]->Number, 2) << static_cast<int>(key);
  }
}

TEST_F(ResultListTest, ColumnClickCarriesSelectionAndFocusByMessage) {
  Load({Msg(1, 3), Msg(1, 1), Msg(1, 2), Msg(1, 4)});
  SortState state;
  // Rows 0 (#3) and 3 (#4) selected, row 1 (#1) focused.
  const CarriedSelection c =
      ColumnClick(Results, state, SortKey::Number, {Results[0], Results[3]}, Results[1]);
  EXPECT_EQ(c.SelectedRows, (std::vector<int>{2, 3}));
  EXPECT_EQ(c.FocusedRow, 0);
  const CarriedSelection none = ColumnClick(Results, state, SortKey::Number, {}, nullptr);
  EXPECT_TRUE(none.SelectedRows.empty());
  EXPECT_EQ(none.FocusedRow, -1);
  EXPECT_EQ(Results[0]->Number, 4);  // the second click on the column descends
}

TEST_F(ResultListTest, CopyListsSelectedMessagesInRowOrder) {
  Load({Msg(1, 1, "t", "one"), Msg(1, 2, "t", "two"), Msg(1, 3, "t", "three")});
  std::vector<std::string> list;
  ScriptedProgress progress;
  EXPECT_EQ(WriteSelected(progress, Results, {true, false, true}, list), OpStatus::Completed);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], Results[0]->Text());
  EXPECT_EQ(list[1], Results[2]->Text());
  EXPECT_EQ(ClipboardText(list), list[0] + "\r\n" + list[1] + "\r\n");
  EXPECT_EQ(progress.Percents, (std::vector<int>{0, 66}));

  // A cancel still runs the loop to its end and only shows in the status.
  std::vector<std::string> again;
  ScriptedProgress cancelled(1);
  EXPECT_EQ(WriteSelected(cancelled, Results, {true, true, true}, again), OpStatus::Cancelled);
  EXPECT_EQ(again.size(), 3u);
}

TEST_F(ResultListTest, SaveCreatesAppendsAndNeverLosesTheOldContent) {
  Load({Msg(1, 1, "t", "one"), Msg(1, 2, "t", "two")});
  const std::string expected =
      std::string(Results[0]->Text()) + "\r\n" + std::string(Results[1]->Text()) + "\r\n";
  TempDir dir;
  const std::string path = dir.Write("out.txt", "old content\n");
  const std::vector<bool> all{true, true};
  NullProgress ok;

  // Create replaces the file whole.
  SaveResult r = SaveSelected(ok, Results, all, path, SaveMode::Create);
  EXPECT_EQ(r.Outcome, SaveOutcome::Written) << r.Message;
  EXPECT_EQ(ReadFileBytes(path), expected);

  // Append adds to it; a cancelled append takes its text back.
  r = SaveSelected(ok, Results, {false, true}, path, SaveMode::Append);
  EXPECT_EQ(r.Outcome, SaveOutcome::Written);
  const std::string appended = expected + std::string(Results[1]->Text()) + "\r\n";
  EXPECT_EQ(ReadFileBytes(path), appended);
  ScriptedProgress cancel(1);
  r = SaveSelected(cancel, Results, all, path, SaveMode::Append);
  EXPECT_EQ(r.Outcome, SaveOutcome::Cancelled);
  EXPECT_EQ(ReadFileBytes(path), appended);

  // A cancelled create leaves the old file and no partial file beside it.
  ScriptedProgress cancel2(1);
  r = SaveSelected(cancel2, Results, all, path, SaveMode::Create);
  EXPECT_EQ(r.Outcome, SaveOutcome::Cancelled);
  EXPECT_EQ(ReadFileBytes(path), appended);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

  // Append to a missing file creates it; a cancelled create of a new file leaves nothing.
  const std::string fresh = dir.File("fresh.txt");
  EXPECT_EQ(SaveSelected(ok, Results, all, fresh, SaveMode::Append).Outcome, SaveOutcome::Written);
  EXPECT_EQ(ReadFileBytes(fresh), expected);
  ScriptedProgress cancel3(1);
  const std::string never = dir.File("never.txt");
  SaveSelected(cancel3, Results, all, never, SaveMode::Create);
  EXPECT_FALSE(std::filesystem::exists(never));
}

TEST_F(ResultListTest, SaveFailuresAreReportedAndLeaveTheTargetIntact) {
  Load({Msg(1, 1, "t", "one")});
  TempDir dir;
  NullProgress ok;
  // A folder that cannot be written: create fails with the framework's message.
  const std::string missing = dir.File("no/such/folder/out.txt");
  SaveResult r = SaveSelected(ok, Results, {true}, missing, SaveMode::Create);
  EXPECT_EQ(r.Outcome, SaveOutcome::Failed);
  EXPECT_NE(r.Message.find("を作成できません"), std::string::npos) << r.Message;

  // /dev/full accepts the open and fails every write: the append is reported, not shown as done.
  if (std::filesystem::exists("/dev/full")) {
    r = SaveSelected(ok, Results, {true}, "/dev/full", SaveMode::Append);
    EXPECT_EQ(r.Outcome, SaveOutcome::Failed);
  }

  // The target is a folder: the rename fails, the folder stays and no temporary file is left.
  const std::string folder = dir.File("folder");
  std::filesystem::create_directory(folder);
  r = SaveSelected(ok, Results, {true}, folder, SaveMode::Create);
  EXPECT_EQ(r.Outcome, SaveOutcome::Failed);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST_F(ResultListTest, ReplacingKeepsTheFilePermissions) {
  Load({Msg(1, 1)});
  TempDir dir;
  const std::string path = dir.Write("out.txt", "old");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  NullProgress ok;
  ASSERT_EQ(SaveSelected(ok, Results, {true}, path, SaveMode::Create).Outcome,
            SaveOutcome::Written);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ResultListTest, SaveNeverReplacesADeviceOrAWriteProtectedFile) {
  Load({Msg(1, 1)});
  TempDir dir;
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
  NullProgress ok;
  // A device of our own that fails every write as /dev/full does: the save fails with the
  // system's reason in both modes, and the device stays.
  const std::string full = dir.File("full");
  if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
    for (const SaveMode mode : {SaveMode::Create, SaveMode::Append}) {
      const SaveResult r = SaveSelected(ok, Results, {true}, full, mode);
      EXPECT_EQ(r.Outcome, SaveOutcome::Failed);
      EXPECT_NE(r.Message.find(std::strerror(ENOSPC)), std::string::npos) << r.Message;
      EXPECT_TRUE(std::filesystem::is_character_file(full));
    }
  }
  // A file the person may not write is refused, not replaced.
  const std::string locked = dir.Write("locked.txt", "keep");
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
  EXPECT_EQ(testing::RunUnprivileged([&] {
              NullProgress quiet;
              return static_cast<int>(
                  SaveSelected(quiet, Results, {true}, locked, SaveMode::Create).Outcome);
            }),
            static_cast<int>(SaveOutcome::Failed));
  EXPECT_EQ(ReadFileBytes(locked), "keep");
}

TEST_F(ResultListTest, SortKeepsTheOrderOfCompareMessagesOnLongSharedPrefixesAndTies) {
  // Titles that agree on their first sixteen bytes, differ only in case, are prefixes of one
  // another or are equal; rooms, numbers and handles repeat.
  const std::vector<std::string> titles = {"ABCDEFGHIJKLMNOPq",
                                           "abcdefghijklmnopQ",
                                           "ABCDEFGHIJKLMNOP",
                                           "ABCDEFGHIJKLMNOPA",
                                           "abcdefghijklmnop",
                                           "件名件名件名件名件名",
                                           "件名件名件名件名件",
                                           "件名件名件名件名件名x",
                                           "a",
                                           "A",
                                           "",
                                           "a_"};
  std::vector<MessageSpec> specs;
  for (std::size_t i = 0; i < titles.size() * 3; ++i) {
    MessageSpec m =
        Msg(static_cast<int>(i % 4), static_cast<int>(i % 5) + 1, titles[(i * 7) % titles.size()]);
    m.Handle = i % 2 ? "Name" : "name";
    specs.push_back(m);
  }
  Load(specs);
  SortState state;
  for (const int tag : {1, 1, 2, 0, 4, 3, 1, 5, 6}) {
    const SortKey key = static_cast<SortKey>(tag);
    const int direction = key == state.LastSortKey ? -state.SortDirection : 1;
    std::vector<TLogMessage*> expected = Results;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const TLogMessage* a, const TLogMessage* b) {
                       return CompareMessages(*a, *b, key, direction) < 0;
                     });
    SortResults(Results, state, key);
    EXPECT_EQ(Results, expected) << "tag " << tag;
  }
}

TEST_F(ResultListTest, SortAgreesWithCompareMessagesOverGeneratedRowsAndClickSequences) {
  // Few distinct values per column, so that every key has long runs of ties; two-digit years on
  // both sides of the century; a list that changes between two clicks on the same key.
  std::uint32_t seed = 12345;
  auto next = [&](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  const std::vector<std::string> words = {
      "Re", "re: x", "ABCDEFGHIJKLMNOPQR", "abcdefghijklmnopqr", "", "件名", "Z"};
  const std::vector<std::string> years = {"97", "99", "00", "03", "50"};
  std::vector<MessageSpec> specs;
  for (int i = 0; i < 300; ++i) {
    MessageSpec m = Msg(static_cast<int>(next(3)), static_cast<int>(next(6)) + 1,
                        words[next(words.size())], std::string(next(3), 'b'));
    m.Handle = words[next(words.size())];
    m.ID = next(2) ? "ABC0123" + std::to_string(next(2)) : "abc01230";
    m.Date = years[next(years.size())] + "/0" + std::to_string(next(3) + 1) + "/01";
    specs.push_back(m);
  }
  Load(specs);
  SortState state;
  for (int click = 0; click < 60; ++click) {
    const auto key = static_cast<SortKey>(click % 5 == 4 ? static_cast<int>(*state.LastSortKey)
                                                         : static_cast<int>(next(7)));
    if (click % 10 == 9)  // a new search: the same messages in another order
      std::reverse(Results.begin() + static_cast<std::ptrdiff_t>(next(100)), Results.end());
    const int direction = key == state.LastSortKey ? -state.SortDirection : 1;
    std::vector<TLogMessage*> expected = Results;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const TLogMessage* a, const TLogMessage* b) {
                       return CompareMessages(*a, *b, key, direction) < 0;
                     });
    SortResults(Results, state, key);
    ASSERT_EQ(Results, expected) << "click " << click << ", tag " << static_cast<int>(key);
  }
}

}  // namespace
}  // namespace yuzulog
