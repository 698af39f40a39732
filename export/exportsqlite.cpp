// SQLite: one database file with the sources, the rooms and the messages (schema in the README),
// and with --fts an FTS5 index (trigram tokenizer) over the bodies.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <unordered_map>

#include <map>
#include <memory>

#include "export/exportfiles.h"
#include "export/exportformats.h"
#include "platform/cp932.h"

namespace yuzulog {
namespace {

constexpr const char* kSchema = R"sql(
PRAGMA journal_mode=OFF;
PRAGMA synchronous=OFF;
PRAGMA user_version=1;
CREATE TABLE export_info(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE files(
  id INTEGER PRIMARY KEY, path TEXT NOT NULL, member TEXT, size INTEGER NOT NULL,
  sha256 TEXT NOT NULL, room INTEGER NOT NULL, message_count INTEGER NOT NULL);
CREATE TABLE rooms(
  room INTEGER PRIMARY KEY, message_count INTEGER NOT NULL, first_date TEXT, last_date TEXT);
CREATE TABLE messages(
  id INTEGER PRIMARY KEY, room INTEGER NOT NULL, number INTEGER NOT NULL, copy INTEGER NOT NULL,
  anchor TEXT NOT NULL, writer_id TEXT NOT NULL, handle TEXT NOT NULL, title TEXT NOT NULL,
  date_written TEXT NOT NULL, date TEXT NOT NULL, comment_to INTEGER, comment_to_id INTEGER,
  body TEXT NOT NULL, file_id INTEGER NOT NULL REFERENCES files(id), offset INTEGER NOT NULL,
  length INTEGER NOT NULL);
CREATE TABLE conversion_exceptions(
  file_id INTEGER NOT NULL REFERENCES files(id), offset INTEGER NOT NULL, kind TEXT NOT NULL,
  bytes TEXT NOT NULL, char TEXT);
)sql";

constexpr const char* kIndexes = R"sql(
CREATE INDEX messages_room_number ON messages(room, number);
CREATE INDEX messages_writer_id ON messages(writer_id);
CREATE INDEX messages_date ON messages(date);
)sql";

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalizer {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

class Database {
 public:
  Database(const std::string& path, Progress& progress) : FPath(path) {
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    FDb.reset(db);
    if (rc != SQLITE_OK) Fail();
    // Long statements (the indexes, the full-text index) look for a cancel while they run.
    sqlite3_progress_handler(
        db, 100000,
        [](void* p) -> int {
          auto* pr = static_cast<Progress*>(p);
          pr->ProcessEvents();
          return pr->Cancelled() ? 1 : 0;
        },
        &progress);
  }
  void Exec(const char* sql) {
    if (sqlite3_exec(FDb.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
  }
  Statement Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(FDb.get(), sql, -1, &s, nullptr) != SQLITE_OK) Fail();
    return Statement(s);
  }
  void Step(sqlite3_stmt* s) {
    if (sqlite3_step(s) != SQLITE_DONE) Fail();
    sqlite3_reset(s);
  }
  void Close() {
    if (sqlite3_close(FDb.release()) != SQLITE_OK)
      throw ExportError("データベースを閉じられません：" + FPath);
  }
  [[noreturn]] void Fail() {
    if (sqlite3_errcode(FDb.get()) == SQLITE_INTERRUPT) throw Interrupted();
    throw ExportError(std::string("データベースに書き込めません：") + FPath + "（" +
                      sqlite3_errmsg(FDb.get()) + "）");
  }
  struct Interrupted {};

 private:
  std::string FPath;
  std::unique_ptr<sqlite3, DbCloser> FDb;
};

void BindText(sqlite3_stmt* s, int column, std::string_view utf8) {
  sqlite3_bind_text(s, column, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

// Code page 932 text to UTF-8 in a buffer kept for reuse: the largest body sets its size once.
class Converted {
 public:
  std::string_view Of(std::string_view cp932) {
    const std::size_t need = cp932.size() * static_cast<std::size_t>(Cp932Table::kMaxStep) + 8;
    if (FBuffer.size() < need) FBuffer.resize(need);
    char* o = FBuffer.data();
    Cp932Table::Get().Convert(cp932, Utf8Escape::None, o, FBuffer.data() + FBuffer.size());
    return {FBuffer.data(), static_cast<std::size_t>(o - FBuffer.data())};
  }

 private:
  std::string FBuffer;
};

OpStatus Fill(Database& db, const ExportPlan& plan, const ExportDescription& d, bool fts,
              Progress& progress) {
  db.Exec(kSchema);
  db.Exec("BEGIN");
  {
    Statement info = db.Prepare("INSERT INTO export_info(key, value) VALUES(?, ?)");
    const std::pair<std::string, std::string> rows[] = {
        {"description", DescriptionJson(d)},
        {"format", "yuzulog-export-sqlite"},
        {"format_version", std::to_string(d.FormatVersion)},
        {"program", d.Program},
        {"created", UtcTimeText(d.Created)}};
    for (const auto& [key, value] : rows) {
      BindText(info.get(), 1, key);
      BindText(info.get(), 2, value);
      db.Step(info.get());
    }
  }
  {
    Statement file = db.Prepare(
        "INSERT INTO files(id, path, member, size, sha256, room, message_count) "
        "VALUES(?, ?, ?, ?, ?, ?, ?)");
    Statement exception = db.Prepare(
        "INSERT INTO conversion_exceptions(file_id, offset, kind, bytes, char) "
        "VALUES(?, ?, ?, ?, ?)");
    for (std::size_t i = 0; i < d.Sources.size(); ++i) {
      const ExportSource& s = d.Sources[i];
      sqlite3_bind_int64(file.get(), 1, static_cast<sqlite3_int64>(i));
      BindText(file.get(), 2, SettingsTextToUtf8(s.Path));
      if (s.FromArchive)
        BindText(file.get(), 3, s.Member);
      else
        sqlite3_bind_null(file.get(), 3);
      sqlite3_bind_int64(file.get(), 4, static_cast<sqlite3_int64>(s.Size));
      BindText(file.get(), 5, s.Sha256);
      sqlite3_bind_int(file.get(), 6, s.Data->Room);
      sqlite3_bind_int(file.get(), 7, s.Data->Count());
      db.Step(file.get());
      for (const Cp932Exception& x : s.Exceptions) {
        const bool unconvertible = x.What == Cp932Exception::Kind::Unconvertible;
        sqlite3_bind_int64(exception.get(), 1, static_cast<sqlite3_int64>(i));
        sqlite3_bind_int64(exception.get(), 2, static_cast<sqlite3_int64>(x.Offset));
        BindText(exception.get(), 3, unconvertible ? "unconvertible" : "not_unique");
        BindText(exception.get(), 4, HexBytes(x.SourceBytes()));
        if (unconvertible)
          sqlite3_bind_null(exception.get(), 5);
        else
          BindText(exception.get(), 5, Cp932Table::Get().CharOf(x.SourceBytes()));
        db.Step(exception.get());
      }
    }
  }
  Statement message = db.Prepare(
      "INSERT INTO messages(id, room, number, copy, anchor, writer_id, handle, title, "
      "date_written, date, comment_to, comment_to_id, body, file_id, offset, length) "
      "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  // Row ids follow the load order, so a reply can name the row of the copy it refers to.
  std::unordered_map<const TLogMessage*, sqlite3_int64> rowOf;
  rowOf.reserve(plan.Messages().size());
  for (std::size_t i = 0; i < plan.Messages().size(); ++i)
    rowOf.emplace(plan.Messages()[i], static_cast<sqlite3_int64>(i + 1));
  struct RoomFigures {
    long long Count = 0;
    std::string First, Last;
  };
  std::map<int, RoomFigures> rooms;
  Converted text;
  ExportTicker ticker(progress, static_cast<long long>(plan.Messages().size()));
  sqlite3_stmt* s = message.get();
  sqlite3_int64 row = 0;
  for (const TLogMessage* m : plan.Messages()) {
    const std::string date = IsoLocalTime(*m);
    sqlite3_bind_int64(s, 1, ++row);
    sqlite3_bind_int(s, 2, m->Room);
    sqlite3_bind_int(s, 3, m->Number);
    sqlite3_bind_int(s, 4, plan.CopyOf(*m));
    BindText(s, 5, plan.Anchor(*m));
    BindText(s, 6, text.Of(m->ID()));
    BindText(s, 7, text.Of(m->HandleName()));
    BindText(s, 8, text.Of(m->Title()));
    BindText(s, 9, text.Of(WrittenDate(*m)));
    BindText(s, 10, date);
    sqlite3_bind_null(s, 11);
    sqlite3_bind_null(s, 12);
    if (m->CommentTo > 0) {
      sqlite3_bind_int(s, 11, m->CommentTo);
      const TLogMessage* target = plan.Target(m->Room, m->CommentTo);
      const auto it = target ? rowOf.find(target) : rowOf.end();
      if (it != rowOf.end()) sqlite3_bind_int64(s, 12, it->second);
    }
    BindText(s, 13, text.Of(m->Body()));
    sqlite3_bind_int(s, 14, plan.FileIndexOf(*m));
    sqlite3_bind_int64(s, 15, static_cast<sqlite3_int64>(SourceOffset(*m)));
    sqlite3_bind_int64(s, 16, static_cast<sqlite3_int64>(m->TextSize()));
    db.Step(s);
    RoomFigures& r = rooms[m->Room];
    ++r.Count;
    if (r.First.empty() || date < r.First) r.First = date;
    if (r.Last.empty() || date > r.Last) r.Last = date;
    if (!ticker.Tick()) return OpStatus::Cancelled;
  }
  {
    Statement room = db.Prepare(
        "INSERT INTO rooms(room, message_count, first_date, last_date) VALUES(?, ?, ?, ?)");
    for (const auto& [number, r] : rooms) {
      sqlite3_bind_int(room.get(), 1, number);
      sqlite3_bind_int64(room.get(), 2, r.Count);
      BindText(room.get(), 3, r.First);
      BindText(room.get(), 4, r.Last);
      db.Step(room.get());
    }
  }
  progress.SetText("索引を作成しています");
  progress.ProcessEvents();
  db.Exec(kIndexes);
  if (fts) {
    // An external-content index: the bodies are stored once, in messages.
    db.Exec(
        "CREATE VIRTUAL TABLE messages_fts USING fts5(body, content='messages', "
        "content_rowid='id', tokenize='trigram');"
        "INSERT INTO messages_fts(rowid, body) SELECT id, body FROM messages;");
  }
  db.Exec("COMMIT");
  return OpStatus::Completed;
}

}  // namespace

OpStatus WriteSqlite(const std::string& path, const ExportPlan& plan, const ExportDescription& d,
                     bool fts, Progress& progress) {
  Database db(path, progress);
  try {
    if (Fill(db, plan, d, fts, progress) == OpStatus::Cancelled) return OpStatus::Cancelled;
  } catch (const Database::Interrupted&) {
    return OpStatus::Cancelled;
  }
  db.Close();
  // The database was written without a journal and without syncing: it becomes the export
  // only after this, all at once.
  FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0 || ::fdatasync(file.Get()) != 0)
    throw SystemError("書き込めません", path, errno);
  return OpStatus::Completed;
}

}  // namespace yuzulog
