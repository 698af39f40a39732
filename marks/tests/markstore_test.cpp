// The store of read marks and bookmarks: what survives a reopen, two programs at once, and the
// databases that cannot be used (locked, damaged, newer, on a full disk), which are left as they
// were.
#include "marks/markstore.h"

#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "logdata/logfiles.h"
#include "marks/marklookup.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

using namespace std::chrono_literals;

MarkKey Key(int number) {
  return MakeMarkKey(3, number, "ABC01234", "97/05/04 21:25");
}

std::vector<MarkKey> StoredMarks(MarkStore& store) {
  std::vector<MarkKey> marks;
  std::vector<MarkChange> queued;
  EXPECT_TRUE(store.ForEachReadMark(
      [&](const MarkKey& key) {
        marks.push_back(key);
        return true;
      },
      queued));
  std::sort(marks.begin(), marks.end(),
            [](const MarkKey& a, const MarkKey& b) { return a.Number < b.Number; });
  return marks;
}

// A second connection to the file, as another program would hold it.
struct RawDb {
  explicit RawDb(const std::string& path) { sqlite3_open(path.c_str(), &Handle); }
  ~RawDb() { sqlite3_close(Handle); }
  int Exec(const std::string& sql) { return sqlite3_exec(Handle, sql.c_str(), 0, 0, 0); }
  int Count(const std::string& table) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(Handle, ("SELECT count(*) FROM " + table).c_str(), -1, &s, nullptr);
    const int n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int(s, 0) : -1;
    sqlite3_finalize(s);
    return n;
  }
  sqlite3* Handle = nullptr;
};

class MarkStoreTest : public ::testing::Test {
 protected:
  std::unique_ptr<MarkStore> Open(MarkStoreOptions options = {}) {
    auto store = MarkStore::Open(path, problem, options);
    EXPECT_TRUE(store) << problem;
    return store;
  }
  testing::TempDir dir;
  std::string path = MarkStorePath(dir.Path().string() + "/");
  std::string problem;
};

TEST_F(MarkStoreTest, MarksAndBookmarksSurviveAReopen) {
  {
    auto store = Open();
    const std::vector<MarkKey> keys{Key(1), Key(2), Key(3)};
    store->MarkRead(keys, true);
    store->MarkRead(std::vector<MarkKey>{Key(2)}, false);
    bool added = false;
    ASSERT_TRUE(store->ToggleBookmark({Key(7), "題名 ①", "ハンドル", "あとで", 1700000000}, added));
    EXPECT_TRUE(added);
    ASSERT_TRUE(store->ToggleBookmark({Key(8), "t", "h", "", 1700000001}, added));
    ASSERT_TRUE(store->ToggleBookmark({Key(8), "", "", "", 0}, added));
    EXPECT_FALSE(added);
    EXPECT_TRUE(store->SetBookmarkNote(Key(7), "続きを読む"));
  }
  auto store = Open();
  EXPECT_EQ(StoredMarks(*store), (std::vector<MarkKey>{Key(1), Key(3)}));
  std::vector<Bookmark> list;
  ASSERT_TRUE(store->Bookmarks(list));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Key, Key(7));
  EXPECT_EQ(list[0].Title, "題名 ①");
  EXPECT_EQ(list[0].Note, "続きを読む");
  EXPECT_EQ(list[0].Created, 1700000000);
  EXPECT_TRUE(store->IsBookmarked(Key(7)));
  EXPECT_TRUE(store->RemoveBookmarks(std::vector<MarkKey>{Key(7)}));
  EXPECT_FALSE(store->IsBookmarked(Key(7)));
}

TEST_F(MarkStoreTest, TheBatchWaitsForItsIntervalUntilFlush) {
  auto store = Open({.BatchInterval = 1h});
  store->MarkRead(std::vector<MarkKey>{Key(1)}, true);
  ASSERT_TRUE(store->Flush());
  store->MarkRead(std::vector<MarkKey>{Key(2)}, true);
  RawDb other(path);
  EXPECT_EQ(other.Count("read_marks"), 1);  // the second waits for its interval
  ASSERT_TRUE(store->Flush());
  EXPECT_EQ(other.Count("read_marks"), 2);
  // The mark made just before the end is stored by the close.
  store->MarkRead(std::vector<MarkKey>{Key(3)}, true);
  store.reset();
  EXPECT_EQ(other.Count("read_marks"), 3);
}

TEST_F(MarkStoreTest, TwoProgramsAtOnceLoseNoMark) {
  auto a = Open({.BatchInterval = 0ms});
  auto b = Open({.BatchInterval = 0ms});
  constexpr int kEach = 400;
  auto markFrom = [](MarkStore& store, int first) {
    for (int i = 0; i < kEach; ++i)
      store.MarkRead(std::vector<MarkKey>{Key(first + i)}, true);
    EXPECT_TRUE(store.Flush());
  };
  std::thread ta(markFrom, std::ref(*a), 0);
  std::thread tb(markFrom, std::ref(*b), kEach);
  ta.join();
  tb.join();
  a.reset();
  EXPECT_EQ(StoredMarks(*b).size(), 2u * kEach);
}

TEST_F(MarkStoreTest, ALookupSeesStoredAndQueuedMarksOnEveryCopyOfAMessage) {
  testing::MessageSpec m;
  LogFiles files;
  for (const char* name : {"a.LOG", "b.LOG"}) {  // one message loaded twice (overlapping files)
    testing::LogBuilder b;
    for (int n = 1; n <= 3; ++n) {
      m.Number = n;
      b.Add(m);
    }
    files.Append(testing::ParsedLog(b.Text(), name));
  }
  files.SortLogFiles();
  MessageTree tree;
  testing::ScriptedProgress progress;
  BuildMessageTree(files, tree, progress);
  auto store = Open({.BatchInterval = 1h});
  store->MarkRead(std::vector<MarkKey>{MarkKeyOf(files[0].Items(0))}, true);
  ASSERT_TRUE(store->Flush());
  store->MarkRead(std::vector<MarkKey>{MarkKeyOf(files[0].Items(2))}, true);
  NodeBits read;
  ASSERT_TRUE(LookUpReadMarks(*store, tree, read));
  for (const auto& f : files) {
    EXPECT_TRUE(read.Test(tree.NodeOf(f->Items(0))));
    EXPECT_FALSE(read.Test(tree.NodeOf(f->Items(1))));
    EXPECT_TRUE(read.Test(tree.NodeOf(f->Items(2))));  // queued, not stored yet
  }
}

TEST_F(MarkStoreTest, ALockedDatabaseIsReportedAndLeftAlone) {
  Open();
  RawDb other(path);
  ASSERT_EQ(other.Exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;"
                       "INSERT INTO bookmarks VALUES(1, 1, x'', x'', '', '', '', 0)"),
            SQLITE_OK);
  EXPECT_FALSE(MarkStore::Open(path, problem, {.BusyTimeoutMs = 50}));
  EXPECT_NE(problem.find("ほかのプログラムが使用中"), std::string::npos) << problem;
  ASSERT_EQ(other.Exec("COMMIT"), SQLITE_OK);
}

TEST_F(MarkStoreTest, ADamagedOrNewerDatabaseIsReportedAndNeverWritten) {
  const std::string garbage(8192, '\x5a');
  dir.Write("yuzulog.db", garbage);
  EXPECT_FALSE(MarkStore::Open(path, problem));
  EXPECT_NE(problem.find("壊れている"), std::string::npos) << problem;
  EXPECT_EQ(testing::ReadFileBytes(path), garbage);

  std::filesystem::remove(path);
  { RawDb(path).Exec("CREATE TABLE t(x); PRAGMA user_version = 99"); }
  const std::string newer = testing::ReadFileBytes(path);
  EXPECT_FALSE(MarkStore::Open(path, problem));
  EXPECT_NE(problem.find("新しい版"), std::string::npos) << problem;
  EXPECT_EQ(testing::ReadFileBytes(path), newer);
}

// The full disk comes from a file-size limit (RLIMIT_FSIZE) set in a child process, so the
// limit cannot reach the test runner; the child's writes beyond it fail with EFBIG.
TEST_F(MarkStoreTest, AFullDiskStopsTheMarksWithOneMessageAndKeepsWhatWasStored) {
  {
    auto store = Open();
    store->MarkRead(std::vector<MarkKey>{Key(1)}, true);
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    int messages = 0;
    std::string childProblem;
    auto store = MarkStore::Open(path, childProblem);
    if (!store) _exit(10);
    store->SetProblemHandler([&](const std::string&) { ++messages; });
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::vector<MarkKey> many;
    for (int i = 2; i < 20000; ++i)
      many.push_back(Key(i));
    store->MarkRead(many, true);
    const bool flushed = store->Flush();
    store->MarkRead(many, false);  // ignored once failed
    const bool full = store->Problem().find("ディスクがいっぱい") != std::string::npos;
    store.reset();
    _exit(!flushed && full && messages == 1 ? 0 : 11);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  auto store = Open();
  EXPECT_EQ(StoredMarks(*store), std::vector<MarkKey>{Key(1)});
}

}  // namespace
}  // namespace yuzulog
