// Read marks and bookmarks in one SQLite database in the settings folder, shared by every copy of
// the program that runs at once. Each copy writes only its own changes (a mark added, a mark
// taken away), so two copies never undo each other's marks. A database that cannot be used gives
// one message and the program goes on without marks; the file itself is never replaced, emptied
// or removed.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "marks/markkey.h"

struct sqlite3;

namespace yuzulog {

// The database's file name in the settings folder.
inline constexpr const char* kMarkStoreFileName = "yuzulog.db";
// settingsDir (ending in '/') + the file name.
std::string MarkStorePath(const std::string& settingsDir);

struct MarkStoreOptions {
  // How long a statement waits for another program's transaction before it gives up.
  int BusyTimeoutMs = 2000;
  // The least time between two transactions of read marks: marking a run of messages with N
  // or Space costs one transaction, not one per message.
  std::chrono::milliseconds BatchInterval{500};
  // Opens without writing anything (the command-line listing): no schema made or migrated.
  bool ReadOnly = false;
};

// One bookmark. The key names the message; the texts are UTF-8, kept so that the list can show
// bookmarks of logs that are not loaded.
struct Bookmark {
  MarkKey Key;
  std::string Title;
  std::string Handle;
  std::string Note;
  std::int64_t Created = 0;  // seconds since 1970-01-01 00:00 UTC
};

// A bookmark for a loaded message: title and handle converted from code page 932.
Bookmark BookmarkOf(const TLogMessage& m, std::string note, std::int64_t created);

// A read mark set or taken away, in the order the user did it.
struct MarkChange {
  MarkKey Key;
  bool Read = true;
};

class MarkStore {
 public:
  // Opens (creating when missing, unless read-only) the database at path and brings its schema to
  // this version. nullptr, with the message to show in problem, when it cannot be used.
  static std::unique_ptr<MarkStore> Open(const std::string& path, std::string& problem,
                                         const MarkStoreOptions& options = {});
  // Writes what is still queued, then closes.
  ~MarkStore();
  MarkStore(const MarkStore&) = delete;
  MarkStore& operator=(const MarkStore&) = delete;

  // Queues read marks set or taken away; returns at once, never waiting for the database. A
  // writer thread stores the queue in one transaction at most every BatchInterval.
  void MarkRead(std::span<const MarkKey> keys, bool read);
  // Stores everything queued so far and returns once it is stored: true, or false when it could
  // not be (the database is busy beyond the timeout, or failed). The shutdown path calls it (any
  // thread, any number of times; not from a signal handler).
  bool Flush();

  // Calls mark with every read mark in the database, in the order of room, then number (the
  // table's own order: no sort), until it returns false; then gives the queued changes not yet
  // stored (to apply on top, in order). False when the database failed or mark stopped it.
  bool ForEachReadMark(const std::function<bool(const MarkKey&)>& mark,
                       std::vector<MarkChange>& queued);

  // Bookmarks are written at once (one gesture, one small transaction). Each returns false when
  // the database could not take it.
  bool IsBookmarked(const MarkKey& key);
  // Adds the bookmark when its message has none, else removes it: true when it was added.
  bool ToggleBookmark(const Bookmark& bookmark, bool& added);
  bool SetBookmarkNote(const MarkKey& key, const std::string& note);
  bool RemoveBookmarks(std::span<const MarkKey> keys);
  // Every bookmark, oldest first.
  bool Bookmarks(std::vector<Bookmark>& list);

  // The message of a failure met after opening (a full disk, a damaged file), "" while none. The
  // store then keeps nothing more and the program runs on without marks.
  std::string Problem() const;
  // Called once with that message, on the thread that met the failure (the writer thread, or the
  // caller of a bookmark operation); a window posts it to its own thread.
  void SetProblemHandler(std::function<void(const std::string&)> handler);

 private:
  struct Db;
  MarkStore(std::unique_ptr<Db> db, std::string path, const MarkStoreOptions& options);
  void WriterLoop();
  // Stores one batch; false when it must be tried again (busy).
  bool WriteBatch(const std::vector<MarkChange>& batch);
  void Fail(int rc);
  bool Failed() const;

  std::string FPath;
  MarkStoreOptions FOptions;
  bool FNoTables = false;  // opened read-only before any program made the schema
  // The connection is used by the writer thread and by callers of the bookmark operations and
  // of ForEachReadMark, one at a time.
  std::mutex FDbMutex;
  std::unique_ptr<Db> FDb;

  mutable std::mutex FQueueMutex;
  std::condition_variable FWake;
  std::condition_variable FStored;
  std::vector<MarkChange> FQueue;
  std::uint64_t FQueuedCount = 0;  // changes queued since opening
  std::uint64_t FStoredCount = 0;  // of these, stored (or dropped after a failure)
  bool FFlushWanted = false;
  bool FStopping = false;
  std::uint64_t FAttempts = 0;  // batches tried
  bool FBusy = false;           // the last attempt found the database busy
  bool FWriterDone = false;
  std::string FProblem;
  std::function<void(const std::string&)> FProblemHandler;
  std::thread FWriter;
};

// The window's store: the database in the settings folder settingsDir (SettingsDir() of the
// settings-folder seam; tests pass a folder of their own), the folder made when missing. nullptr
// with the message in problem as MarkStore::Open gives it.
std::unique_ptr<MarkStore> OpenMarkStore(const std::string& settingsDir, std::string& problem);

}  // namespace yuzulog
