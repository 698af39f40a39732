// The workspace without a window: loading with each answer, removing, showing (with and without
// hits), going to a message and back, log sets, recent folders, settings and the search, each
// with the notices its views get.
#include "workspace/workspace.h"

#include <gtest/gtest.h>

#include "mainwindow/recentfolders.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

using testing::DataFile;
using testing::ScriptedProgress;

struct Answers : LoadCallbacks {
  ReloadAnswer Reload = ReloadAnswer::Yes;
  int Asked = 0;
  ReloadAnswer AskReload(const std::string&, const std::string&, ReloadAnswer) override {
    ++Asked;
    return Reload;
  }
  bool AskStopAfterFailure(const std::string&, const LoadResult&) override { return false; }
  void NoticeCancelled(const std::string&) override {}
};

// Records the notices as letters: F(orgotten), T(ree rebuilt), C(hanged files), S(how),
// R(esults), L(ists).
struct Recorder : WorkspaceObserver {
  std::string Log;
  std::vector<ShowRequest> Shown;
  void MessagesForgotten() override { Log += 'F'; }
  void TreeRebuilt() override { Log += 'T'; }
  void FilesChanged() override { Log += 'C'; }
  void ShowRequested(const ShowRequest& r) override {
    Log += 'S';
    Shown.push_back(r);
  }
  void ResultsChanged() override { Log += 'R'; }
  void ListsChanged() override { Log += 'L'; }
};

class WorkspaceTest : public ::testing::Test {
 protected:
  WorkspaceTest() { ws.AddObserver(seen); }
  OpStatus Load(std::vector<std::string> names, bool add = false) {
    std::vector<std::string> paths;
    for (const std::string& n : names)
      paths.push_back(DataFile(n));
    return ws.Load(paths, add, progress, answers);
  }
  Workspace ws{"/program"};
  Recorder seen;
  Answers answers;
  ScriptedProgress progress;
};

TEST_F(WorkspaceTest, LoadAddReloadAndRemoveForgetWhatWasShownAndRebuildTheTree) {
  ASSERT_EQ(Load({"room05b.LOG", "room05a.LOG"}), OpStatus::Completed);
  EXPECT_EQ(ws.Files().Count(), 2);
  EXPECT_EQ(ws.Tree().NodeCount(), 1 + 12 + 11);
  EXPECT_EQ(seen.Log, "FFTC");  // cleared before the loop, again before the build
  ws.Show(&ws.Files()[0].Items(0), ShowOrigin::Tree);

  seen.Log.clear();
  ASSERT_EQ(Load({"room12.lzh"}, true), OpStatus::Completed);
  EXPECT_EQ(ws.Files().Count(), 3);
  EXPECT_EQ(ws.Shown().Message, nullptr);
  EXPECT_EQ(ws.History().Count(), 0);
  EXPECT_EQ(seen.Log, "FTC");

  for (const ReloadAnswer answer : {ReloadAnswer::No, ReloadAnswer::Yes, ReloadAnswer::Cancel}) {
    answers.Reload = answer;
    seen.Log.clear();
    ASSERT_EQ(Load({"room12.lzh"}, true), OpStatus::Completed);
    EXPECT_EQ(ws.Files().Count(), 3);
    // Reloading forgets the messages before the old copy goes.
    EXPECT_EQ(seen.Log, answer == ReloadAnswer::Yes ? "FFTC" : "FTC");
  }
  EXPECT_EQ(answers.Asked, 3);

  seen.Log.clear();
  ASSERT_EQ(ws.RemoveFiles({&ws.Files()[0]}, progress), OpStatus::Completed);
  EXPECT_EQ(ws.Files().Count(), 2);
  EXPECT_EQ(ws.Files()[0].Overlap, 0);
  EXPECT_EQ(seen.Log, "FFTC");
  EXPECT_EQ(ws.Tree().At(ws.Tree().NodeOf(ws.Files()[0].Items(0))).Message,
            &ws.Files()[0].Items(0));
}

TEST_F(WorkspaceTest, ShowGoToAndBackRecordWhereTheyCameFrom) {
  ASSERT_EQ(Load({"room05a.LOG", "room05b.LOG"}), OpStatus::Completed);
  const TLogMessage* first = &ws.Files()[0].Items(0);
  ws.Show(first, ShowOrigin::Tree);
  const TLogMessage* m = ws.GoTo({5, 11});
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Owner, &ws.Files()[1]);  // the later file holds it too and wins
  EXPECT_EQ(ws.Shown().Origin, ShowOrigin::GoTo);
  EXPECT_EQ(ws.GoTo({5, 99}), nullptr);
  EXPECT_EQ(ws.Shown().Message, m);

  EXPECT_EQ(ws.GoBack(), first);
  EXPECT_EQ(ws.Shown().Origin, ShowOrigin::History);
  EXPECT_EQ(ws.GoBack(), nullptr);  // the oldest entry

  // A search hit carries its hits as data; showing it again for a view option drops them.
  SearchFields fields;
  fields.Edit[0] = testing::Sjis("木");
  fields.CheckBox[0] = true;
  SearchJob job;
  ASSERT_EQ(ws.RunSearch(progress, job, fields), OpStatus::Completed);
  ws.SetResults(progress, job.Hits);
  ASSERT_FALSE(ws.Search().Results().empty());
  ws.Show(ws.Search().Results()[0], ShowOrigin::SearchHit);
  EXPECT_TRUE(seen.Shown.back().WithHits());
  EXPECT_FALSE(seen.Shown.back().Hits.empty());
  ws.ShowAgain();
  EXPECT_FALSE(ws.Shown().WithHits());
  EXPECT_EQ(ws.Shown().Message, ws.Search().Results()[0]);
}

TEST_F(WorkspaceTest, LogSetsRegisterAskBeforeReplacingMoveToTheTopAndRoundTrip) {
  EXPECT_FALSE(ws.RegisterLogSet("empty", [] { return true; }));  // nothing loaded
  ASSERT_EQ(Load({"room05a.LOG"}), OpStatus::Completed);
  EXPECT_TRUE(ws.RegisterLogSet("Five", [] { return true; }));
  EXPECT_TRUE(ws.RegisterLogSet("other \"set\"", [] { return true; }));
  int asked = 0;
  EXPECT_FALSE(ws.RegisterLogSet("FIVE", [&] { return ++asked, false; }));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(ws.LogSets().size(), 2u);
  EXPECT_EQ(ws.UseLogSet(1), std::vector<std::string>{DataFile("room05a.LOG")});
  EXPECT_EQ(ws.LogSets().front().Name, "Five");
  EXPECT_EQ(ws.UseLogSet(2), std::nullopt);
  EXPECT_EQ(ws.LogSetOfKey("1"), ws.LogSets()[1].Files);

  for (int i = 0; i < 10; ++i)
    ws.AddRecentFolder("/logs/" + std::to_string(i) + "/a.LOG");
  ws.AddRecentFolder("b.LOG");
  EXPECT_EQ(ws.RecentFolders().size(), kMaxRecentFolders);
  EXPECT_EQ(ws.RecentFolders().front(), "/program");

  testing::TempDir dir;
  SettingsReport report;
  MainSettings s = ws.Settings();
  s.WordWrap = true;
  ws.SetSettings(s);
  ASSERT_TRUE(ws.WriteSettings(dir.Path().string() + "/", report));
  Workspace again;
  again.ReadSettings(dir.Path().string() + "/", {}, report);
  EXPECT_EQ(again.LogSets(), ws.LogSets());
  EXPECT_EQ(again.RecentFolders(), ws.RecentFolders());
  EXPECT_TRUE(again.Settings().WordWrap);
  EXPECT_TRUE(ws.RemoveLogSet("five"));
  EXPECT_FALSE(ws.RemoveLogSet("five"));
}

TEST_F(WorkspaceTest, TwoCopiesSavingTheListsKeepEachOthersChanges) {
  testing::TempDir dir;
  const std::string folder = dir.Path().string() + "/";
  dir.Write("LogSet.INI", "old1,/x\r\nold2,/y\r\n");
  dir.Write("Recent.INI", "/r/old\r\n");
  SettingsReport report;
  Workspace a, b;
  for (Workspace* w : {&a, &b}) {
    w->ReadSettings(folder, {}, report);
    ASSERT_EQ(w->Load({DataFile("room05a.LOG")}, false, progress, answers), OpStatus::Completed);
  }
  a.RegisterLogSet("setA", [] { return true; });
  a.RemoveLogSet("old2");
  a.AddRecentFolder("/r/a/x.LOG");
  ASSERT_TRUE(a.WriteSettings(folder, report));
  b.RegisterLogSet("setB", [] { return true; });
  b.RemoveLogSet("OLD1");
  b.UseLogSet(IndexOfLogSet(b.LogSets(), "old2"));  // removed by a, used here: the later wins
  b.AddRecentFolder("/r/b/x.LOG");
  ASSERT_TRUE(b.WriteSettings(folder, report));

  Workspace after;
  after.ReadSettings(folder, {}, report);
  EXPECT_EQ(GetLogSetNames(after.LogSets()), (std::vector<std::string>{"old2", "setB", "setA"}));
  EXPECT_EQ(after.RecentFolders(), (std::vector<std::string>{"/r/b", "/r/a", "/r/old"}));
}

TEST_F(WorkspaceTest, SearchByWriterIDFillsTheResultsAndChosenRowsReadBack) {
  ASSERT_EQ(Load({"room05a.LOG", "room12.lzh"}), OpStatus::Completed);
  seen.Log.clear();
  ASSERT_EQ(ws.SearchByWriterID("abc01234", progress), OpStatus::Completed);
  EXPECT_EQ(seen.Log, "R");
  ASSERT_EQ(ws.Search().Results().size(), 5u);
  EXPECT_EQ(ws.Search().Results()[4]->Number, 30);
  ws.Search().Chosen = {{0, 0}, {2, 3}, {9, 9}};
  EXPECT_EQ(ws.Search().ChosenRows(), (std::vector<bool>{true, false, true, true, false}));
  EXPECT_EQ(ws.Search().ChosenMessages().size(), 3u);
  ASSERT_EQ(Load({"room05a.LOG"}), OpStatus::Completed);  // the results name freed messages
  EXPECT_TRUE(ws.Search().Results().empty());
  EXPECT_TRUE(ws.Search().Chosen.empty());
}

TEST_F(WorkspaceTest, ReadMarksSkipRoomsGoWithTheTreeAndSteerReadingOn) {
  ASSERT_EQ(Load({"room05a.LOG"}), OpStatus::Completed);
  const std::int32_t first = ws.Tree().NodeOf(ws.Files()[0].Items(0));
  const std::int32_t second = NextMessageNode(ws.Tree(), first);
  const std::int32_t third = NextMessageNode(ws.Tree(), second);
  // Unknown marks: nothing is unread, reading on is the next message, marking does nothing.
  ws.MarkRead(std::vector<std::int32_t>{second}, true);
  EXPECT_FALSE(ws.ReadMarksKnown());
  EXPECT_EQ(ws.NextToRead(first), second);

  ws.ResetReadMarks(true);
  ws.MarkRead(std::vector<std::int32_t>{0, second, -1, 1 << 30}, true);  // room, bad indexes
  EXPECT_FALSE(ws.ReadMarks().Test(0));
  EXPECT_TRUE(ws.ReadMarks().Test(second));
  EXPECT_EQ(ws.NextToRead(first), third);

  ASSERT_EQ(Load({"room05a.LOG"}), OpStatus::Completed);
  EXPECT_FALSE(ws.ReadMarksKnown());
}

}  // namespace
}  // namespace yuzulog
