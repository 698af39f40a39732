// The loaded-file list, its order and overlaps, the load loop with its questions, and the report.
#include "logdata/logfiles.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;
using testing::RoomLogText;
using testing::ScriptedProgress;
using testing::TempDir;

// Answers the loop's questions from a script and records what was asked.
class FakeCallbacks : public LoadCallbacks, public FileListSteps {
 public:
  std::vector<ReloadAnswer> ReloadAnswers;  // consumed in order
  bool StopAfterFailure = false;
  std::vector<std::string> ReloadQuestions;
  std::vector<ReloadAnswer> ReloadDefaults;
  std::vector<std::string> FailureQuestions;
  std::vector<LoadOutcome> Failures;
  std::vector<std::string> Notices;
  int ClearCount = 0;
  // The message total of the list at each rebuild of the tree.
  std::vector<long long> Rebuilds;

  ReloadAnswer AskReload(const std::string&, const std::string& message,
                         ReloadAnswer defaultAnswer) override {
    ReloadQuestions.push_back(message);
    ReloadDefaults.push_back(defaultAnswer);
    const ReloadAnswer a = ReloadAnswers.empty() ? ReloadAnswer::Cancel : ReloadAnswers.front();
    if (!ReloadAnswers.empty()) ReloadAnswers.erase(ReloadAnswers.begin());
    return a;
  }
  bool AskStopAfterFailure(const std::string& path, const LoadResult& failure) override {
    FailureQuestions.push_back(LoadFailedQuestionText(path));
    Failures.push_back(failure.Outcome);
    return StopAfterFailure;
  }
  void NoticeCancelled(const std::string& message) override { Notices.push_back(message); }
  void ForgetMessages() override { ++ClearCount; }
  OpStatus RebuildTree(LogFiles& files, Progress&) override {
    Rebuilds.push_back(files.TotalMessages());
    return OpStatus::Completed;
  }
};

class LoadLoopTest : public ::testing::Test {
 protected:
  std::vector<std::string> Paths(std::initializer_list<const char*> names) {
    std::vector<std::string> paths;
    for (const char* n : names)
      paths.push_back(testing::DataFile(n));
    return paths;
  }
  LogFiles files;
  ScriptedProgress progress;
  FakeCallbacks callbacks;
};

TEST_F(LoadLoopTest, OpensFixturesSortsThemAndReportsTheOverlap) {
  const auto paths = Paths({"room12.lzh", "room05b.LOG", "room05a.LOG"});
  EXPECT_EQ(ExecuteOpen(files, paths, progress, callbacks, callbacks), OpStatus::Completed);
  ASSERT_EQ(files.Count(), 3);
  EXPECT_EQ(files[0].FileName, paths[2]);  // room 5 from 1
  EXPECT_EQ(files[1].FileName, paths[1]);  // room 5 from 10
  EXPECT_EQ(files[2].FileName, paths[0]);  // room 12
  EXPECT_EQ(files[1].Overlap, 3);
  EXPECT_EQ(files[2].Overlap, 0);
  EXPECT_EQ(progress.Texts[0], "以前のデータをクリアしています...");
  EXPECT_EQ(progress.Texts[1], "ファイルを開いています（1/3）\r\nroom12.lzh");
  EXPECT_EQ(progress.Percents[0], 0);
  EXPECT_EQ(callbacks.Rebuilds, (std::vector<long long>{12 + 11 + 30}));

  const LoadReport report = BuildLoadReport(files);
  EXPECT_EQ(report.Total, 12 + 11 + 30);
  EXPECT_EQ(report.StatusText, "53 個の発言");
  ASSERT_EQ(report.OverlapLines.size(), 1u);
  EXPECT_EQ(report.OverlapLines[0],
            "5番会議室のログファイルで room05a.LOG と room05b.LOG に 3 個の重複があります。");
  EXPECT_EQ(report.WarningText(), "53 個の発言がロードされましたが、\r\n\r\n" +
                                      report.OverlapLines[0] +
                                      "\r\n\r\nログデータの情報を見ますか？");
}

TEST_F(LoadLoopTest, FailedFilesAreAskedAboutAndTheOthersStayLoaded) {
  const auto paths = Paths({"plain.TXT", "room05a.LOG", "notlog.lzh", "missing.LOG", "corrupt.lzh",
                            "garbage.lzh", "empty.LOG"});
  EXPECT_EQ(ExecuteOpen(files, paths, progress, callbacks, callbacks), OpStatus::Completed);
  ASSERT_EQ(files.Count(), 1);
  ASSERT_EQ(callbacks.FailureQuestions.size(), 6u);
  EXPECT_EQ(callbacks.FailureQuestions[0],
            paths[0] + "\r\nログファイルの取得に失敗しました。\r\n中断しますか？");
  // Each failure reaches the question with its reason.
  EXPECT_EQ(callbacks.Failures,
            (std::vector<LoadOutcome>{LoadOutcome::NotLhaArchive, LoadOutcome::NotLogMember,
                                      LoadOutcome::CannotRead, LoadOutcome::ArchiveTruncated,
                                      LoadOutcome::NotLhaArchive, LoadOutcome::EmptyFile}));

  // Yes to the failure question ends the loop at once.
  LogFiles other;
  callbacks.Rebuilds.clear();
  callbacks.StopAfterFailure = true;
  EXPECT_EQ(ExecuteOpen(other, Paths({"plain.TXT", "room05a.LOG"}), progress, callbacks, callbacks),
            OpStatus::Completed);
  EXPECT_EQ(other.Count(), 0);
  EXPECT_TRUE(callbacks.Rebuilds.empty());
}

TEST_F(LoadLoopTest, FailuresPastTheFirstFewAreCountedAndNulBytesReported) {
  TempDir dir;
  std::string text = RoomLogText(5, 1, 3);
  text[text.size() / 2] = '\0';
  const std::string nul = dir.Write("nul.LOG", text);
  std::vector<std::string> paths(6, dir.File("missing.LOG"));
  paths.push_back(nul);
  FailuresAskedUpTo questions(callbacks, 2);
  EXPECT_EQ(ExecuteOpen(files, paths, progress, questions, callbacks), OpStatus::Completed);
  EXPECT_EQ(callbacks.FailureQuestions.size(), 2u);
  EXPECT_EQ(questions.Unasked(), 4);
  ASSERT_EQ(files.Count(), 1);
  // The notice keeps to the count; the status line adds the file's NUL bytes.
  const LoadReport report = BuildLoadReport(files);
  EXPECT_EQ(report.StatusText, "3 個の発言");
  EXPECT_EQ(report.StatusLine(), "3 個の発言　" + NulBytesReadText(nul, 1));
}

TEST_F(LoadLoopTest, ReloadQuestionAnswersHoldAsTheyShould) {
  const auto paths = Paths({"room05a.LOG", "room05b.LOG", "room12.lzh"});
  EXPECT_EQ(ExecuteOpen(files, paths, progress, callbacks, callbacks), OpStatus::Completed);
  const TLogData* first = &files[0];

  // Opening the same three again: asked with No as the first default; No keeps the file.
  callbacks.ReloadAnswers = {ReloadAnswer::No, ReloadAnswer::YesToAll};
  EXPECT_EQ(ExecuteOpen(files, paths, progress, callbacks, callbacks), OpStatus::Completed);
  ASSERT_EQ(callbacks.ReloadQuestions.size(), 2u);  // Yes to all: no third question
  EXPECT_EQ(callbacks.ReloadDefaults[0], ReloadAnswer::No);
  EXPECT_EQ(callbacks.ReloadDefaults[1], ReloadAnswer::No);
  EXPECT_EQ(callbacks.ReloadQuestions[0], "同名のファイルがすでにロードされています。\r\n\r\n" +
                                              paths[0] + "\r\n\r\nファイルを再ロードしますか？");
  EXPECT_EQ(files.Count(), 3);
  EXPECT_EQ(&files[0], first);  // kept, not reloaded

  // Closing the box without an answer refuses this file and every further one of the run.
  callbacks.ReloadQuestions.clear();
  callbacks.ReloadAnswers = {ReloadAnswer::Cancel};
  EXPECT_EQ(ExecuteAdd(files, paths, progress, callbacks, callbacks), OpStatus::Completed);
  EXPECT_EQ(callbacks.ReloadQuestions.size(), 1u);
  EXPECT_EQ(files.Count(), 3);

  // Yes reloads; the next question defaults to Yes.
  callbacks.ReloadQuestions.clear();
  callbacks.ReloadDefaults.clear();
  callbacks.ReloadAnswers = {ReloadAnswer::Yes, ReloadAnswer::NoToAll};
  const int clearsBefore = callbacks.ClearCount;
  callbacks.Rebuilds.clear();
  EXPECT_EQ(ExecuteAdd(files, paths, progress, callbacks, callbacks), OpStatus::Completed);
  ASSERT_EQ(callbacks.ReloadDefaults.size(), 2u);
  EXPECT_EQ(callbacks.ReloadDefaults[1], ReloadAnswer::Yes);
  EXPECT_EQ(files.Count(), 3);
  EXPECT_GT(callbacks.ClearCount, clearsBefore);  // views emptied before the file was freed
  EXPECT_EQ(callbacks.Rebuilds, (std::vector<long long>{12 + 11 + 30}));
}

TEST_F(LoadLoopTest, AFileListedTwiceIsAskedAboutThoughItWasReadAhead) {
  // The loop reads a file while it takes the one before; here the second a is read before the
  // first is in the list, and the question about it must come all the same.
  TempDir dir;
  const std::string a = dir.Write("a.LOG", RoomLogText(1, 1, 10));
  const std::string b = dir.Write("b.LOG", RoomLogText(2, 1, 10));
  const std::string c = dir.Write("c.LOG", RoomLogText(3, 1, 10));
  for (const ReloadAnswer answer : {ReloadAnswer::No, ReloadAnswer::Yes}) {
    LogFiles loaded;
    FakeCallbacks asked;
    asked.ReloadAnswers = {answer};
    EXPECT_EQ(ExecuteOpen(loaded, {a, a, b, c}, progress, asked, asked), OpStatus::Completed);
    EXPECT_EQ(asked.ReloadQuestions.size(), 1u);
    ASSERT_EQ(loaded.Count(), 3);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(loaded[i].Room, i + 1);
    EXPECT_EQ(asked.Rebuilds, (std::vector<long long>{30}));
  }
}

TEST_F(LoadLoopTest, ReplaceDropsFilesNotSelectedAgain) {
  EXPECT_EQ(
      ExecuteOpen(files, Paths({"room05a.LOG", "room12.lzh"}), progress, callbacks, callbacks),
      OpStatus::Completed);
  callbacks.ReloadAnswers = {ReloadAnswer::No};
  EXPECT_EQ(ExecuteOpen(files, Paths({"room12.lzh"}), progress, callbacks, callbacks),
            OpStatus::Completed);
  ASSERT_EQ(files.Count(), 1);
  EXPECT_EQ(files[0].Room, 12);
}

TEST_F(LoadLoopTest, CancelEndsTheLoopAfterTheFileThatWasReadAndBuildsTheTree) {
  ScriptedProgress cancelling(/*cancelAfterPolls=*/2);  // one poll for the clearing text
  const auto paths = Paths({"room05a.LOG", "room05b.LOG", "room12.lzh"});
  EXPECT_EQ(ExecuteOpen(files, paths, cancelling, callbacks, callbacks), OpStatus::Cancelled);
  EXPECT_EQ(files.Count(), 1);
  ASSERT_EQ(callbacks.Notices.size(), 1u);
  EXPECT_EQ(callbacks.Notices[0], "ログファイルの取得を中断しました。");
  EXPECT_EQ(callbacks.Rebuilds, (std::vector<long long>{12}));
}

TEST_F(LoadLoopTest, EmptySelectionLoadsNothing) {
  EXPECT_EQ(ExecuteOpen(files, {}, progress, callbacks, callbacks), OpStatus::Completed);
  EXPECT_EQ(BuildLoadReport(files).StatusText, "0 個の発言");
}

TEST_F(LoadLoopTest, RemovingAFileRecomputesTheOverlapAndRebuildsTheTree) {
  TempDir dir;
  const std::string a = dir.Write("a.LOG", RoomLogText(5, 1, 500));
  const std::string b = dir.Write("b.LOG", RoomLogText(5, 491, 900));
  const std::string c = dir.Write("c.LOG", RoomLogText(5, 800, 1000));
  EXPECT_EQ(ExecuteOpen(files, {a, b, c}, progress, callbacks, callbacks), OpStatus::Completed);
  ASSERT_EQ(files.Count(), 3);
  EXPECT_EQ(files[1].Overlap, 10);
  EXPECT_EQ(files[2].Overlap, 101);
  callbacks.Rebuilds.clear();
  const int clearsBefore = callbacks.ClearCount;
  EXPECT_EQ(RemoveLogFiles(files, {&files[1]}, progress, callbacks), OpStatus::Completed);
  ASSERT_EQ(files.Count(), 2);
  EXPECT_EQ(files[1].Overlap, 0);  // 500 < 800
  EXPECT_EQ(callbacks.ClearCount, clearsBefore + 1);

  // Removing everything still rebuilds: the tree ends empty.
  EXPECT_EQ(RemoveLogFiles(files, {&files[0], &files[1]}, progress, callbacks),
            OpStatus::Completed);
  EXPECT_TRUE(files.Empty());
  EXPECT_EQ(callbacks.Rebuilds, (std::vector<long long>{500 + 201, 0}));
}

TEST(LogFilesTest, SortIsByRoomThenFirstNumberAndStable) {
  TempDir dir;
  LogFiles files;
  const std::vector<std::pair<int, int>> keys = {{12, 1}, {3, 50}, {3, 10}, {0, 5}, {3, 10}};
  for (std::size_t i = 0; i < keys.size(); ++i) {
    auto f = std::make_unique<TLogData>();
    ASSERT_TRUE(
        f->LoadFromFile(dir.Write("f" + std::to_string(i) + ".LOG",
                                  RoomLogText(keys[i].first, keys[i].second, keys[i].second + 1))));
    files.Append(std::move(f));
  }
  files.SortLogFiles();
  std::vector<std::string> order;
  for (int i = 0; i < files.Count(); ++i)
    order.push_back(BaseName(files[i].FileName));
  EXPECT_EQ(order, (std::vector<std::string>{"f3.LOG", "f2.LOG", "f4.LOG", "f1.LOG", "f0.LOG"}));
  EXPECT_EQ(files[2].Overlap, 2);  // same room, same numbers: 11 - 10 + 1
  EXPECT_FALSE(files.SingleRoom());
}

TEST(LogFilesTest, PathsAreComparedExactly) {
  TempDir dir;
  LogFiles files;
  auto f = std::make_unique<TLogData>();
  ASSERT_TRUE(f->LoadFromFile(dir.Write("Room.LOG", RoomLogText(5, 1, 2))));
  files.Append(std::move(f));
  EXPECT_NE(files.FindLoadedFile(dir.File("Room.LOG")), nullptr);
  EXPECT_EQ(files.FindLoadedFile(dir.File("room.log")), nullptr);
  files.DropUnselected({dir.File("ROOM.LOG")});
  EXPECT_TRUE(files.Empty());
}

}  // namespace
}  // namespace yuzulog
