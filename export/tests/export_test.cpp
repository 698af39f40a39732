// Exports of the fixtures, run through yuzulog-cli as a whole program and through ExportLogs: every
// loaded copy once in each format with its fields, text that converts back to its source, links
// that land, and nothing left behind by an export that did not complete.
#include "export/export.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "export/exportfiles.h"
#include "platform/cp932.h"
#include "tests/support/clirun.h"
#include "tests/support/logbuilder.h"
#include "tests/support/scriptedprogress.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"

namespace yuzulog {
namespace {

namespace fs = std::filesystem;
using testing::Lines;
using testing::ReadFileBytes;
using testing::RunProgram;

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A log whose bodies hold what does not convert one to one: ≒ in NEC's form (0x8790), an
    // unassigned pair, a byte without a mapping and a control byte JSON must escape.
    testing::LogBuilder b;
    b.Add({.Number = 1, .Room = 9, .Body = "近似"});
    b.Raw("\x87\x90 \x85\x40 \xFD \x01\r\n");
    secondAt = b.Text().size();
    b.Add({.Number = 2, .Room = 9, .CommentTo = 1, .Body = "返信"});
    odd = dir.Write("ODD.LOG", b.Text());
    // Messages of room 0 stand in the tree without a room node.
    testing::LogBuilder zero;
    zero.Add({.Number = 1, .Room = 0}).Add({.Number = 2, .Room = 0, .CommentTo = 1});
    files = {dir.Write("ZERO.LOG", zero.Text()), testing::DataFile("room05a.LOG"),
             testing::DataFile("room05b.LOG"),   testing::DataFile("room12.lzh"),
             testing::DataFile("lf-only.LOG"),   odd};
  }
  testing::CliResult Export(const std::string& format, const std::string& out,
                            std::vector<std::string> extra = {},
                            std::vector<std::string> env = {}) {
    std::vector<std::string> args = {"export", "--to=" + format, "--out=" + out};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), files.begin(), files.end());
    testing::RunOptions options;
    options.Environment = std::move(env);
    return RunProgram(YUZULOG_CLI, args, options);
  }
  // Room and number of every loaded message, in load order, as `messages` lists them.
  std::vector<std::string> Loaded() {
    std::vector<std::string> args = {"messages"};
    args.insert(args.end(), files.begin(), files.end());
    std::vector<std::string> keys;
    for (const std::string& line : Lines(RunProgram(YUZULOG_CLI, args).Out)) {
      const auto c = testing::Columns(line);
      keys.push_back(c[0] + "/" + c[1]);
    }
    return keys;
  }
  testing::TempDir dir;
  std::string odd;
  std::size_t secondAt = 0;  // the offset of the odd log's second message
  std::vector<std::string> files;
};

// The full path of a program on PATH (the tests start programs without a shell); empty if none.
std::string Tool(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
      return folder + "/" + name;
  return {};
}
bool HaveTool(const std::string& name) {
  return !Tool(name).empty();
}

TEST(ExportFileTest, ACharacterAcrossTheBuffersEndStaysWhole) {
  // Kanji from an odd offset on, long enough that a buffer fills in the middle of one.
  std::string text = "a";
  while (text.size() < 300000)
    text += "\x8A\xBF";
  testing::TempDir dir;
  for (const auto size : {ExportFile::Size::Large, ExportFile::Size::Small}) {
    const std::string path = dir.File(size == ExportFile::Size::Large ? "large" : "small");
    ExportFile file(path, size);
    file.WriteCp932(text, Utf8Escape::None);
    file.Close(false);
    EXPECT_EQ(ReadFileBytes(path), Cp932ToUtf8(text));
  }
}

TEST_F(ExportTest, JsonLinesParseAndHoldEveryCopyOnceWithItsFields) {
  if (!HaveTool("jq")) GTEST_SKIP() << "jq is not installed";
  const std::string out = dir.File("all.jsonl");
  ASSERT_EQ(Export("jsonl", out).Status, 0);
  // jq fails on a line that is not JSON; the first line describes the export.
  const auto rows = RunProgram(
      Tool("jq"), {"-r", "select(.number) | \"\\(.room)/\\(.number) \\(.anchor)\"", out});
  ASSERT_EQ(rows.Status, 0) << rows.Err;
  std::vector<std::string> keys;
  std::set<std::string> anchors;
  for (const std::string& line : Lines(rows.Out)) {
    keys.push_back(line.substr(0, line.find(' ')));
    EXPECT_TRUE(anchors.insert(line.substr(line.find(' ') + 1)).second) << line;
  }
  EXPECT_EQ(keys, Loaded());
  EXPECT_TRUE(anchors.count("5-10-2"));  // the second copy of an overlapping message

  const auto fields = RunProgram(Tool("jq"), {"-r",
                                              "select(.number == 2 and .room == 9) | .handle, "
                                              ".date, .comment_to_anchor, .source.offset",
                                              out});
  EXPECT_EQ(Lines(fields.Out), (std::vector<std::string>{"ハンドル", "1997-05-04T21:25:00", "9-1",
                                                         std::to_string(secondAt)}));
  const auto described =
      RunProgram(Tool("jq"), {"-r",
                              "select(.format) | .sources[] | select(.room == 9) | "
                              "(.unconvertible | map(.offset)), "
                              "(.not_unique[0].char), (.sha256 | length)",
                              "-c", out});
  const std::string head = testing::LogBuilder::HeaderLine1({.Number = 1, .Room = 9}) + "\r\n" +
                           testing::LogBuilder::HeaderLine2({.Number = 1, .Room = 9}) + "\r\n";
  const std::size_t at = head.size() + testing::Sjis("近似").size() + 2;
  EXPECT_EQ(Lines(described.Out),
            (std::vector<std::string>{
                "[" + std::to_string(at + 3) + "," + std::to_string(at + 6) + "]", "≒", "64"}));
}

TEST_F(ExportTest, TextConvertsBackToTheSourceExceptAtTheListedOffsets) {
  if (!HaveTool("jq")) GTEST_SKIP() << "jq is not installed";
  const std::string out = dir.File("text");
  ASSERT_EQ(Export("text", out).Status, 0);
  // Where each source went: "file text" lines.
  const auto manifest = RunProgram(
      Tool("jq"), {"-r", ".sources[] | \"\\(.file) \\(.text)\"", out + "/MANIFEST.json"});
  std::map<std::string, std::string> mirror;
  for (const std::string& line : Lines(manifest.Out))
    mirror[line.substr(0, line.find(' '))] = line.substr(line.find(' ') + 1);
  ASSERT_EQ(mirror.size(), 6u) << manifest.Err;
  const std::string member = mirror[testing::DataFile("room12.lzh")];
  EXPECT_EQ(member.substr(member.size() - 21), "room12.lzh/ROOM12.LOG");
  for (const std::string& path :
       {odd, testing::DataFile("lf-only.LOG"), testing::DataFile("room05a.LOG")}) {
    // The source with each listed sequence put as its conversion stands for it.
    std::string expected = ReadFileBytes(path);
    const auto listed =
        RunProgram(Tool("jq"), {"-r",
                                ".sources[] | select(.file == \"" + path +
                                    "\") | (.unconvertible[] | \"\\(.offset) \\(.bytes) 〓\"), "
                                    "(.not_unique[] | \"\\(.offset) \\(.bytes) \\(.char)\")",
                                out + "/MANIFEST.json"});
    std::vector<std::tuple<std::size_t, std::size_t, std::string>> edits;
    for (const std::string& line : Lines(listed.Out)) {
      const std::size_t a = line.find(' '), b = line.rfind(' ');
      edits.emplace_back(std::stoul(line.substr(0, a)), (b - a - 1) / 2,
                         Utf8ToCp932(line.substr(b + 1)).bytes);
    }
    std::sort(edits.rbegin(), edits.rend());
    for (const auto& [offset, length, bytes] : edits)
      expected.replace(offset, length, bytes);
    EXPECT_EQ(Utf8ToCp932(ReadFileBytes(out + "/" + mirror[path])).bytes, expected) << path;
    if (path == odd) {
      EXPECT_EQ(edits.size(), 3u);
    }
  }
}

TEST_F(ExportTest, SqliteHoldsEveryCopyAndItsIndexFindsWhatSearchFinds) {
  const std::string out = dir.File("all.db");
  ASSERT_EQ(Export("sqlite", out, {"--fts"}).Status, 0);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(out.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  auto column = [db](const std::string& sql) {
    std::multiset<std::string> values;
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sql;
    while (sqlite3_step(s) == SQLITE_ROW)
      values.insert(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    return values;
  };
  const std::vector<std::string> loaded = Loaded();
  EXPECT_EQ(column("SELECT room || '/' || number FROM messages"),
            std::multiset<std::string>(loaded.begin(), loaded.end()));
  const std::string fts =
      "SELECT m.room || '/' || m.number FROM messages_fts JOIN messages m ON m.id = "
      "messages_fts.rowid WHERE messages_fts MATCH ";
  // The trigram index finds nothing shorter than three characters.
  EXPECT_TRUE(column(fts + "'ゆず'").empty());
  for (const std::string keyword : {"カラタチ", "接ぎ木"}) {
    std::vector<std::string> args = {"search", "-k", keyword};
    args.insert(args.end(), files.begin(), files.end());
    std::multiset<std::string> found;
    for (const std::string& line : Lines(RunProgram(YUZULOG_CLI, args).Out)) {
      const auto c = testing::Columns(line);
      found.insert(std::to_string(std::stoi(c[0])) + "/" + c[1]);
    }
    EXPECT_FALSE(found.empty()) << keyword;
    EXPECT_EQ(column(fts + "'\"" + keyword + "\"'"), found) << keyword;
  }
  sqlite3_close(db);
}

// The anchors a folder of pages defines and the internal links that point into them.
void CheckLinksLand(const fs::path& root, std::size_t articles) {
  std::map<fs::path, std::set<std::string>> ids;
  std::vector<std::pair<fs::path, std::string>> links;
  const std::regex id("id=\"([^\"]+)\""), href("href=\"([^\":]+)\"");
  std::size_t count = 0;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.path().extension() != ".html") continue;
    const std::string page = ReadFileBytes(e.path().string());
    for (std::sregex_iterator i(page.begin(), page.end(), id), end; i != end; ++i)
      ids[fs::weakly_canonical(e.path())].insert((*i)[1]);
    for (std::sregex_iterator i(page.begin(), page.end(), href), end; i != end; ++i)
      links.emplace_back(e.path(), (*i)[1]);
    for (std::size_t at = page.find("<article"); at != std::string::npos;
         at = page.find("<article", at + 1))
      ++count;
  }
  EXPECT_EQ(count, articles);
  for (const auto& [from, link] : links) {
    const std::size_t hash = link.find('#');
    const fs::path file =
        hash == 0 ? from : fs::weakly_canonical(from.parent_path() / link.substr(0, hash));
    ASSERT_TRUE(fs::exists(file)) << from << " -> " << link;
    if (hash != std::string::npos) {
      EXPECT_TRUE(ids[fs::weakly_canonical(file)].count(link.substr(hash + 1)))
          << from << " -> " << link;
    }
  }
}

TEST_F(ExportTest, WebArchiveHasEveryCopyValidPagesAndLinksThatLand) {
  const std::string out = dir.File("site");
  ASSERT_EQ(Export("html", out).Status, 0);
  CheckLinksLand(out, Loaded().size());
  // The reference to nifty:YUZU/MES/05/00002 in message 13 lands on message 2's anchor.
  EXPECT_NE(ReadFileBytes(out + "/room-5/thread-5-13.html").find("href=\"thread-5-1.html#5-2\""),
            std::string::npos);
  if (HaveTool("tidy")) {
    for (const auto& e : fs::recursive_directory_iterator(out))
      if (e.path().extension() == ".html") {
        EXPECT_LT(RunProgram(Tool("tidy"), {"-e", "-q", e.path().string()}).Status, 2) << e.path();
      }
  } else {
    std::fprintf(stderr, "tidy is not installed: the pages were not validated\n");
  }
  if (HaveTool("linkchecker")) {
    // linkchecker drops root's privileges: the folder must be readable by anyone.
    for (fs::path p = out; p != p.root_path(); p = p.parent_path())
      ::chmod(p.c_str(), 0755);
    const auto checked =
        RunProgram(Tool("linkchecker"), {"--no-status", "-q", out + "/index.html"});
    EXPECT_EQ(checked.Status, 0) << checked.Out << checked.Err;
  } else {
    std::fprintf(stderr, "linkchecker is not installed: the links were checked here only\n");
  }
}

TEST_F(ExportTest, SourceDateEpochMakesTwoExportsIdentical) {
  for (const std::string format : {"jsonl", "sqlite", "html"}) {
    const std::string a = dir.File("a-" + format), b = dir.File("b-" + format);
    ASSERT_EQ(Export(format, a, {}, {"SOURCE_DATE_EPOCH=946684800"}).Status, 0);
    ASSERT_EQ(Export(format, b, {}, {"SOURCE_DATE_EPOCH=946684800"}).Status, 0);
    if (format != "html") {
      EXPECT_EQ(ReadFileBytes(a), ReadFileBytes(b)) << format;
      continue;
    }
    for (const auto& e : fs::recursive_directory_iterator(a))
      if (e.is_regular_file()) {
        EXPECT_EQ(ReadFileBytes(e.path().string()),
                  ReadFileBytes((fs::path(b) / fs::relative(e.path(), a)).string()));
      }
  }
}

TEST_F(ExportTest, AnExistingDestinationIsReplacedOnlyWithForce) {
  const std::string out = dir.File("site");
  fs::create_directory(out);
  dir.Write("site/keep.txt", "old");
  // A temporary of an export whose process is gone.
  const std::string stale = ExportTemporaryName(out, 99999998, "new");
  fs::create_directory(stale);
  EXPECT_EQ(Export("html", out).Status, 2);
  EXPECT_EQ(ReadFileBytes(out + "/keep.txt"), "old");
  EXPECT_FALSE(fs::exists(stale));
  ASSERT_EQ(Export("html", out, {"--force"}).Status, 0);
  EXPECT_FALSE(fs::exists(out + "/keep.txt"));
  EXPECT_TRUE(fs::exists(out + "/index.html"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 3);
  EXPECT_EQ(Export("jsonl", dir.File("no/such/folder/x.jsonl")).Status, 2);
}

TEST_F(ExportTest, ACancelledExportLeavesNothing) {
  LogFiles loaded;
  for (const std::string& f : files) {
    auto data = std::make_unique<TLogData>();
    ASSERT_TRUE(data->LoadFromFile(f)) << f;
    data->FileName = f;
    loaded.Append(std::move(data));
  }
  loaded.SortLogFiles();
  MessageTree tree;
  NullProgress none;
  BuildMessageTree(loaded, tree, none);
  for (const ExportFormat format :
       {ExportFormat::Jsonl, ExportFormat::Text, ExportFormat::Html, ExportFormat::Sqlite}) {
    // While the sources are described (one poll a file), and while the output is written.
    for (int polls : {1, 4, static_cast<int>(files.size()) + 1}) {
      testing::ScriptedProgress progress(polls);
      const ExportOptions options{.Format = format, .OutPath = dir.File("out")};
      const ExportResult r = ExportLogs(loaded, tree, nullptr, options, progress);
      EXPECT_EQ(r.Status, OpStatus::Cancelled);
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2)
          << ExportFormatName(format);  // the logs written here alone
    }
  }
}

}  // namespace
}  // namespace yuzulog
