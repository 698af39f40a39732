#include "marks/markstore.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "logdata/logdata.h"
#include "platform/cp932.h"
#include "platform/settingsfolder.h"

namespace yuzulog {
namespace {

// Each step brings the schema from version i to i + 1 (user_version). A later version of the
// program appends its step and never edits one that has shipped. The key columns hold the log's
// own bytes (BLOB: exact, whatever they are); the texts people read are UTF-8.
const char* const kMigrations[] = {
    "CREATE TABLE read_marks(room INTEGER NOT NULL, number INTEGER NOT NULL, id BLOB NOT NULL,"
    " written BLOB NOT NULL, PRIMARY KEY(room, number, id, written)) WITHOUT ROWID;"
    "CREATE TABLE bookmarks(room INTEGER NOT NULL, number INTEGER NOT NULL, id BLOB NOT NULL,"
    " written BLOB NOT NULL, title TEXT NOT NULL, handle TEXT NOT NULL, note TEXT NOT NULL,"
    " created INTEGER NOT NULL, PRIMARY KEY(room, number, id, written)) WITHOUT ROWID;",
};
constexpr int kSchemaVersion = static_cast<int>(std::size(kMigrations));

enum class Trouble { Locked, Damaged, Unusable, Unwritable, Full, Newer };

const char* const kGoingOn = "\n既読としおりなしで続けます。";

std::string ProblemText(Trouble trouble, const std::string& path, const std::string& detail) {
  const std::string db = "既読としおりのデータベース " + path;
  switch (trouble) {
    case Trouble::Locked:
      return db + " はほかのプログラムが使用中のため使えません。" + kGoingOn;
    case Trouble::Damaged:
      return db + " は壊れているため使えません（ファイルはそのまま残します）。" + kGoingOn;
    case Trouble::Full:
      return "ディスクがいっぱいのため、" + db + " に書き込めません。" + kGoingOn;
    case Trouble::Newer:
      return db + " は新しい版の yuzulog で作られたため使えません。" + kGoingOn;
    case Trouble::Unwritable:
      return db + " に書き込めません（" + detail + "）。" + kGoingOn;
    case Trouble::Unusable:
      break;
  }
  return db + " を開けません（" + detail + "）。" + kGoingOn;
}

Trouble Classify(int rc, int systemErrno) {
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return Trouble::Locked;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return Trouble::Damaged;
    case SQLITE_FULL:
      return Trouble::Full;
    case SQLITE_IOERR:
      // A write cut short by a file-size limit or a quota is a full disk to the user.
      if (systemErrno == ENOSPC || systemErrno == EFBIG || systemErrno == EDQUOT)
        return Trouble::Full;
      return Trouble::Unusable;
    default:
      return Trouble::Unusable;
  }
}

// SQLite reports a write cut short by a file-size limit as a plain I/O error and does not keep
// the errno for a write to the WAL file: a failed write is a full disk when the folder has no room
// left or a file of the database has reached the process's file-size limit.
bool DiskLooksFull(const std::string& path) {
  struct statvfs fs;
  if (statvfs(std::filesystem::path(path).parent_path().c_str(), &fs) == 0 &&
      static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize < (1u << 20))
    return true;
  rlimit limit{};
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return false;
  for (const std::string& file : {path, path + "-wal", path + "-journal"}) {
    struct stat st;
    // Within a page of the limit: the next page no longer fits.
    if (stat(file.c_str(), &st) == 0 && static_cast<rlim_t>(st.st_size) + 65536 >= limit.rlim_cur)
      return true;
  }
  return false;
}

std::string Detail(int rc, int systemErrno) {
  if (systemErrno) return std::strerror(systemErrno);
  if ((rc & 0xff) == SQLITE_READONLY || (rc & 0xff) == SQLITE_PERM)
    return "書き込みが許されていません";
  return sqlite3_errstr(rc);
}

// The errno behind the last failure, saved before a rollback replaces it.
thread_local int tLastErrno = 0;

void SaveErrno(sqlite3* db) {
  tLastErrno = sqlite3_system_errno(db);
}

bool IsBusy(int rc) {
  return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

// A prepared statement finalised when it goes out of scope.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    FRc = sqlite3_prepare_v2(db, sql, -1, &FStmt, nullptr);
  }
  ~Statement() { sqlite3_finalize(FStmt); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  int PrepareResult() const { return FRc; }
  sqlite3_stmt* Get() const { return FStmt; }
  void BindKey(const MarkKey& key) {
    sqlite3_bind_int(FStmt, 1, key.Room);
    sqlite3_bind_int(FStmt, 2, key.Number);
    sqlite3_bind_blob(FStmt, 3, key.Id, key.IdLength, SQLITE_STATIC);
    sqlite3_bind_blob(FStmt, 4, key.When, key.WhenLength, SQLITE_STATIC);
  }
  void BindText(int i, const std::string& text) {
    sqlite3_bind_text(FStmt, i, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
  }
  // One step; the statement is reset afterwards when it is done.
  int Step() {
    const int rc = sqlite3_step(FStmt);
    if (rc != SQLITE_ROW) sqlite3_reset(FStmt);
    return rc;
  }
  MarkKey ColumnKey() const {
    return MakeMarkKey(sqlite3_column_int(FStmt, 0), sqlite3_column_int(FStmt, 1), Blob(2),
                       Blob(3));
  }
  std::string Text(int i) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, i));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(FStmt, i)))
             : std::string();
  }

 private:
  std::string_view Blob(int i) const {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(FStmt, i));
    return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(FStmt, i)))
             : std::string_view();
  }
  sqlite3_stmt* FStmt = nullptr;
  int FRc;
};

int Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

int ReadUserVersion(sqlite3* db, int& version) {
  Statement s(db, "PRAGMA user_version");
  if (s.PrepareResult() != SQLITE_OK) return s.PrepareResult();
  const int rc = s.Step();
  if (rc != SQLITE_ROW) return rc;
  version = sqlite3_column_int(s.Get(), 0);
  return SQLITE_OK;
}

// Runs the steps from the database's version up to this one in one transaction; another program
// that started at the same moment finds the work done when it gets the write lock.
int Migrate(sqlite3* db) {
  int rc = Exec(db, "BEGIN IMMEDIATE");
  if (rc != SQLITE_OK) return rc;
  int version = 0;
  rc = ReadUserVersion(db, version);
  for (int step = version; rc == SQLITE_OK && step < kSchemaVersion; ++step)
    rc = Exec(db, kMigrations[step]);
  if (rc == SQLITE_OK && version < kSchemaVersion)
    rc = Exec(db, ("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
  if (rc == SQLITE_OK) rc = Exec(db, "COMMIT");
  if (rc != SQLITE_OK) {
    SaveErrno(db);
    Exec(db, "ROLLBACK");
  }
  return rc;
}

// Runs body inside BEGIN IMMEDIATE ... COMMIT; body returns SQLITE_OK or the code that made it
// stop, and everything is rolled back then (the errno of the failure saved first).
template <typename Body>
int InTransaction(sqlite3* db, Body body) {
  int rc = Exec(db, "BEGIN IMMEDIATE");
  if (rc == SQLITE_OK) rc = body();
  if (rc == SQLITE_OK) rc = Exec(db, "COMMIT");
  if (rc != SQLITE_OK) {
    SaveErrno(db);
    Exec(db, "ROLLBACK");
  }
  return rc;
}

bool StepDone(int rc) {
  return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

}  // namespace

struct MarkStore::Db {
  explicit Db(sqlite3* db) : Handle(db) {}
  ~Db() { sqlite3_close_v2(Handle); }
  sqlite3* Handle;
};

std::string MarkStorePath(const std::string& settingsDir) {
  return settingsDir + kMarkStoreFileName;
}

std::unique_ptr<MarkStore> OpenMarkStore(const std::string& settingsDir, std::string& problem) {
  // A folder that cannot be made shows as the database that cannot be opened in it.
  CreateSettingsDir(settingsDir);
  return MarkStore::Open(MarkStorePath(settingsDir), problem);
}

Bookmark BookmarkOf(const TLogMessage& m, std::string note, std::int64_t created) {
  Bookmark b;
  b.Key = MarkKeyOf(m);
  b.Title = Cp932ToUtf8(m.Title());
  b.Handle = Cp932ToUtf8(m.HandleName());
  b.Note = std::move(note);
  b.Created = created;
  return b;
}

std::unique_ptr<MarkStore> MarkStore::Open(const std::string& path, std::string& problem,
                                           const MarkStoreOptions& options) {
  sqlite3* handle = nullptr;
  // No mutex inside SQLite: FDbMutex already gives the connection to one thread at a time, and
  // SQLite's own would be taken for every column of every row the lookup reads.
  const int flags =
      SQLITE_OPEN_NOMUTEX |
      (options.ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  int rc = sqlite3_open_v2(path.c_str(), &handle, flags, nullptr);
  auto db = std::make_unique<Db>(handle);
  tLastErrno = 0;
  const auto fail = [&](int code) {
    if (handle && !tLastErrno) SaveErrno(handle);
    problem = ProblemText(Classify(code, tLastErrno), path, Detail(code, tLastErrno));
    return nullptr;
  };
  if (rc != SQLITE_OK) return fail(rc);
  sqlite3_extended_result_codes(handle, 1);
  sqlite3_busy_timeout(handle, options.BusyTimeoutMs);
  // The lookup reads every mark after each load: mapped, the pages are read in place instead of
  // copied through a small page cache. Where mapping is not possible SQLite reads as before.
  Exec(handle, "PRAGMA mmap_size = 268435456");
  // SQLite opens a file it may not write read-only without a word; every mark would then fail.
  if (!options.ReadOnly && sqlite3_db_readonly(handle, "main") == 1) return fail(SQLITE_READONLY);
  int version = 0;
  if ((rc = ReadUserVersion(handle, version)) != SQLITE_OK) return fail(rc);
  if (version > kSchemaVersion) {
    problem = ProblemText(Trouble::Newer, path, {});
    return nullptr;
  }
  if (!options.ReadOnly) {
    // WAL lets one program read while another writes; NORMAL syncing loses nothing when a
    // program ends, only what the last transactions held when the power fails.
    if ((rc = Exec(handle, "PRAGMA journal_mode = WAL")) != SQLITE_OK) return fail(rc);
    if ((rc = Exec(handle, "PRAGMA synchronous = NORMAL")) != SQLITE_OK) return fail(rc);
    if (version < kSchemaVersion && (rc = Migrate(handle)) != SQLITE_OK) return fail(rc);
  }
  std::unique_ptr<MarkStore> store(new MarkStore(std::move(db), path, options));
  store->FNoTables = options.ReadOnly && version == 0;
  return store;
}

MarkStore::MarkStore(std::unique_ptr<Db> db, std::string path, const MarkStoreOptions& options)
    : FPath(std::move(path)), FOptions(options), FDb(std::move(db)) {
  if (!FOptions.ReadOnly) FWriter = std::thread([this] { WriterLoop(); });
}

MarkStore::~MarkStore() {
  {
    std::lock_guard lock(FQueueMutex);
    FStopping = true;
  }
  FWake.notify_all();
  if (FWriter.joinable()) FWriter.join();
}

void MarkStore::MarkRead(std::span<const MarkKey> keys, bool read) {
  if (keys.empty() || FOptions.ReadOnly) return;
  {
    std::lock_guard lock(FQueueMutex);
    if (!FProblem.empty()) return;
    for (const MarkKey& key : keys)
      FQueue.push_back({key, read});
    FQueuedCount += keys.size();
  }
  FWake.notify_all();
}

bool MarkStore::Flush() {
  std::unique_lock lock(FQueueMutex);
  const std::uint64_t target = FQueuedCount;
  const std::uint64_t attempts = FAttempts;
  if (FStoredCount < target && FWriter.joinable()) {
    FFlushWanted = true;
    FWake.notify_all();
    FStored.wait(lock, [&] {
      return FStoredCount >= target || (FAttempts > attempts && FBusy) || FWriterDone;
    });
  }
  return FStoredCount >= target && FProblem.empty();
}

void MarkStore::WriterLoop() {
  std::unique_lock lock(FQueueMutex);
  auto nextWrite = std::chrono::steady_clock::now();
  for (;;) {
    FWake.wait(lock, [&] { return FStopping || FFlushWanted || !FQueue.empty(); });
    if (FQueue.empty()) {
      FFlushWanted = false;
      FStored.notify_all();
      if (FStopping) break;
      continue;
    }
    // Marks made within the interval gather into the same transaction.
    FWake.wait_until(lock, nextWrite, [&] { return FStopping || FFlushWanted; });
    FFlushWanted = false;
    lock.unlock();
    {
      // The connection first, then the queue: ForEachReadMark takes them in the same order, so
      // it never sees a batch that has left the queue but is not in the database yet.
      std::lock_guard dbLock(FDbMutex);
      lock.lock();
      std::vector<MarkChange> batch;
      batch.swap(FQueue);
      const bool failed = !FProblem.empty();
      lock.unlock();
      const bool stored = failed || WriteBatch(batch);
      lock.lock();
      if (stored) {
        FStoredCount += batch.size();
      } else {
        FQueue.insert(FQueue.begin(), batch.begin(), batch.end());
      }
      FBusy = !stored;
      ++FAttempts;
    }
    nextWrite = std::chrono::steady_clock::now() + FOptions.BatchInterval;
    FStored.notify_all();
    // Stopping gives the queue one last attempt; a database held by another program beyond the
    // timeout does not keep the program from ending.
    if (FStopping && (FQueue.empty() || FBusy)) break;
  }
  FWriterDone = true;
  FStored.notify_all();
}

bool MarkStore::WriteBatch(const std::vector<MarkChange>& batch) {
  sqlite3* db = FDb->Handle;
  const int rc = InTransaction(db, [&] {
    Statement insert(db, "INSERT OR IGNORE INTO read_marks VALUES(?, ?, ?, ?)");
    Statement remove(db,
                     "DELETE FROM read_marks WHERE room = ? AND number = ? AND id = ? AND "
                     "written = ?");
    if (insert.PrepareResult() != SQLITE_OK) return insert.PrepareResult();
    if (remove.PrepareResult() != SQLITE_OK) return remove.PrepareResult();
    for (const MarkChange& change : batch) {
      Statement& s = change.Read ? insert : remove;
      s.BindKey(change.Key);
      const int step = s.Step();
      if (!StepDone(step)) return step;
    }
    return SQLITE_OK;
  });
  if (rc == SQLITE_OK) return true;
  if (IsBusy(rc)) return false;
  Fail(rc);
  return true;
}

// rc's errno is in tLastErrno: every failing path saves it before anything else runs.
void MarkStore::Fail(int rc) {
  std::function<void(const std::string&)> handler;
  std::string text;
  {
    std::lock_guard lock(FQueueMutex);
    if (!FProblem.empty()) return;
    Trouble trouble = Classify(rc, tLastErrno);
    if (trouble == Trouble::Unusable)
      trouble = DiskLooksFull(FPath) ? Trouble::Full : Trouble::Unwritable;
    FProblem = ProblemText(trouble, FPath, Detail(rc, tLastErrno));
    text = FProblem;
    handler = FProblemHandler;
    // Nothing queued can be stored any more; Flush must not wait for it.
    FStoredCount += FQueue.size();
    FQueue.clear();
  }
  FStored.notify_all();
  if (handler) handler(text);
}

bool MarkStore::Failed() const {
  std::lock_guard lock(FQueueMutex);
  return !FProblem.empty();
}

std::string MarkStore::Problem() const {
  std::lock_guard lock(FQueueMutex);
  return FProblem;
}

void MarkStore::SetProblemHandler(std::function<void(const std::string&)> handler) {
  std::lock_guard lock(FQueueMutex);
  FProblemHandler = std::move(handler);
}

bool MarkStore::ForEachReadMark(const std::function<bool(const MarkKey&)>& mark,
                                std::vector<MarkChange>& queued) {
  std::lock_guard dbLock(FDbMutex);
  if (Failed()) return false;
  if (FNoTables) return true;
  Statement s(FDb->Handle,
              "SELECT room, number, id, written FROM read_marks ORDER BY room, number");
  int rc = s.PrepareResult();
  if (rc == SQLITE_OK) {
    while ((rc = s.Step()) == SQLITE_ROW)
      if (!mark(s.ColumnKey())) return false;
    if (rc == SQLITE_DONE) rc = SQLITE_OK;
  }
  if (rc != SQLITE_OK) {
    // A database busy beyond the timeout fails this lookup only; the next one may get through.
    if (!IsBusy(rc)) {
      SaveErrno(FDb->Handle);
      Fail(rc);
    }
    return false;
  }
  std::lock_guard lock(FQueueMutex);
  queued = FQueue;
  return true;
}

bool MarkStore::IsBookmarked(const MarkKey& key) {
  std::lock_guard dbLock(FDbMutex);
  if (Failed()) return false;
  Statement s(FDb->Handle,
              "SELECT 1 FROM bookmarks WHERE room = ? AND number = ? AND id = ? AND written = ?");
  if (s.PrepareResult() != SQLITE_OK) return false;
  s.BindKey(key);
  const int rc = s.Step();
  if (!StepDone(rc) && !IsBusy(rc)) {
    SaveErrno(FDb->Handle);
    Fail(rc);
  }
  const bool found = rc == SQLITE_ROW;
  sqlite3_reset(s.Get());
  return found;
}

bool MarkStore::ToggleBookmark(const Bookmark& bookmark, bool& added) {
  std::lock_guard dbLock(FDbMutex);
  if (Failed()) return false;
  sqlite3* db = FDb->Handle;
  const int rc = InTransaction(db, [&] {
    Statement remove(db,
                     "DELETE FROM bookmarks WHERE room = ? AND number = ? AND id = ? AND "
                     "written = ?");
    if (remove.PrepareResult() != SQLITE_OK) return remove.PrepareResult();
    remove.BindKey(bookmark.Key);
    int step = remove.Step();
    if (!StepDone(step)) return step;
    added = sqlite3_changes(db) == 0;
    if (!added) return SQLITE_OK;
    Statement insert(db, "INSERT INTO bookmarks VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    if (insert.PrepareResult() != SQLITE_OK) return insert.PrepareResult();
    insert.BindKey(bookmark.Key);
    insert.BindText(5, bookmark.Title);
    insert.BindText(6, bookmark.Handle);
    insert.BindText(7, bookmark.Note);
    sqlite3_bind_int64(insert.Get(), 8, bookmark.Created);
    step = insert.Step();
    return StepDone(step) ? SQLITE_OK : step;
  });
  if (rc != SQLITE_OK && !IsBusy(rc)) Fail(rc);
  return rc == SQLITE_OK;
}

bool MarkStore::SetBookmarkNote(const MarkKey& key, const std::string& note) {
  std::lock_guard dbLock(FDbMutex);
  if (Failed()) return false;
  sqlite3* db = FDb->Handle;
  const int rc = InTransaction(db, [&] {
    Statement s(db,
                "UPDATE bookmarks SET note = ?5 WHERE room = ?1 AND number = ?2 AND id = ?3 "
                "AND written = ?4");
    if (s.PrepareResult() != SQLITE_OK) return s.PrepareResult();
    s.BindKey(key);
    s.BindText(5, note);
    const int step = s.Step();
    return StepDone(step) ? SQLITE_OK : step;
  });
  if (rc != SQLITE_OK && !IsBusy(rc)) Fail(rc);
  return rc == SQLITE_OK;
}

bool MarkStore::RemoveBookmarks(std::span<const MarkKey> keys) {
  std::lock_guard dbLock(FDbMutex);
  if (Failed()) return false;
  sqlite3* db = FDb->Handle;
  const int rc = InTransaction(db, [&] {
    Statement s(db,
                "DELETE FROM bookmarks WHERE room = ? AND number = ? AND id = ? AND "
                "written = ?");
    if (s.PrepareResult() != SQLITE_OK) return s.PrepareResult();
    for (const MarkKey& key : keys) {
      s.BindKey(key);
      const int step = s.Step();
      if (!StepDone(step)) return step;
    }
    return SQLITE_OK;
  });
  if (rc != SQLITE_OK && !IsBusy(rc)) Fail(rc);
  return rc == SQLITE_OK;
}

bool MarkStore::Bookmarks(std::vector<Bookmark>& list) {
  std::lock_guard dbLock(FDbMutex);
  if (Failed()) return false;
  if (FNoTables) return true;
  Statement s(FDb->Handle,
              "SELECT room, number, id, written, title, handle, note, created FROM bookmarks "
              "ORDER BY created, room, number");
  int rc = s.PrepareResult();
  if (rc == SQLITE_OK) {
    while ((rc = s.Step()) == SQLITE_ROW) {
      Bookmark b;
      b.Key = s.ColumnKey();
      b.Title = s.Text(4);
      b.Handle = s.Text(5);
      b.Note = s.Text(6);
      b.Created = sqlite3_column_int64(s.Get(), 7);
      list.push_back(std::move(b));
    }
    if (rc == SQLITE_DONE) rc = SQLITE_OK;
  }
  if (rc != SQLITE_OK && !IsBusy(rc)) {
    SaveErrno(FDb->Handle);
    Fail(rc);
  }
  return rc == SQLITE_OK;
}

}  // namespace yuzulog
