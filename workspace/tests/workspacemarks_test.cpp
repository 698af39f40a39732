// The workspace's read marks over a real store: looked up after a load and applied on the
// owner's thread, stale lookups dropped, marks written back and kept across reloads.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "tests/support/scriptedprogress.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"
#include "workspace/workspace.h"

namespace yuzulog {
namespace {

using testing::DataFile;

struct NoQuestions : LoadCallbacks {
  ReloadAnswer AskReload(const std::string&, const std::string&, ReloadAnswer) override {
    return ReloadAnswer::Yes;
  }
  bool AskStopAfterFailure(const std::string&, const LoadResult&) override { return false; }
  void NoticeCancelled(const std::string&) override {}
};

// The owner's event queue: lookups post into it from their threads; the test runs what they
// posted on its own thread, as a window's event loop would.
class OwnerQueue {
 public:
  PostToOwner Poster() {
    return [this](std::function<void()> f) {
      std::lock_guard lock(FMutex);
      FQueue.push_back(std::move(f));
      FPosted.notify_all();
    };
  }
  std::function<void()> Next() {
    std::unique_lock lock(FMutex);
    FPosted.wait(lock, [this] { return !FQueue.empty(); });
    std::function<void()> f = std::move(FQueue.front());
    FQueue.pop_front();
    return f;
  }

 private:
  std::mutex FMutex;
  std::condition_variable FPosted;
  std::deque<std::function<void()>> FQueue;
};

class WorkspaceMarksTest : public ::testing::Test {
 protected:
  void Load() {
    ASSERT_EQ(ws.Load({DataFile("room05a.LOG")}, false, progress, questions), OpStatus::Completed);
  }
  void Open() {
    std::string problem;
    ASSERT_TRUE(ws.OpenMarks(dir.Path().string() + "/", owner.Poster(), problem)) << problem;
  }
  std::int32_t MessageNode(int item) { return ws.Tree().NodeOf(ws.Files()[0].Items(item)); }

  testing::TempDir dir;
  OwnerQueue owner;  // before the workspace: its lookups post into it until they are stopped
  Workspace ws;
  NoQuestions questions;
  testing::ScriptedProgress progress;
};

TEST_F(WorkspaceMarksTest, MarksMadeAreStoredAndComeBackAfterAReloadAndARestart) {
  Load();
  Open();
  EXPECT_FALSE(ws.ReadMarksKnown());  // until the lookup's result is taken on this thread
  owner.Next()();
  ASSERT_TRUE(ws.ReadMarksKnown());
  const std::int32_t shown = MessageNode(2);
  const std::int32_t marked = MessageNode(5);
  ws.Show(&ws.Files()[0].Items(2), ShowOrigin::Tree);
  ws.MarkRead(std::vector<std::int32_t>{marked, MessageNode(6)}, true);
  ws.MarkRead(std::vector<std::int32_t>{MessageNode(6)}, false);

  Load();
  owner.Next()();
  ASSERT_TRUE(ws.ReadMarksKnown());
  EXPECT_TRUE(ws.ReadMarks().Test(shown));
  EXPECT_TRUE(ws.ReadMarks().Test(marked));
  EXPECT_FALSE(ws.ReadMarks().Test(MessageNode(6)));
  EXPECT_FALSE(ws.ReadMarks().Test(MessageNode(3)));
}

TEST_F(WorkspaceMarksTest, AStaleLookupIsDroppedMarksMadeMeanwhileSurviveAndOffMarksNothing) {
  Load();
  Open();
  std::function<void()> stale = owner.Next();  // the tree it looked at is about to go
  Load();
  const std::int32_t node = MessageNode(1);
  ws.MarkRead(std::span(&node, 1), true);  // before the new lookup is applied
  stale();
  EXPECT_FALSE(ws.ReadMarksKnown());
  owner.Next()();
  ASSERT_TRUE(ws.ReadMarksKnown());
  EXPECT_TRUE(ws.ReadMarks().Test(node));

  ws.SetShowUnread(false);  // off: forgotten, and showing marks nothing
  EXPECT_FALSE(ws.ReadMarksKnown());
  ws.Show(&ws.Files()[0].Items(0), ShowOrigin::Tree);
  ws.SetShowUnread(true);
  owner.Next()();
  EXPECT_FALSE(ws.ReadMarks().Test(MessageNode(0)));
}

}  // namespace
}  // namespace yuzulog
