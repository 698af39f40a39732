// The browser view's temporary page files: made empty under the program's prefix, the oldest
// pruned, none left behind, and failures reported with the system's reason.
#include "platform/temppagefiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempDir;

int FilesIn(const fs::path& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
    ++n;
  return n;
}

TEST(TempPageFiles, NewFilesAreEmptyUniqueAndWritten) {
  TempDir dir;
  TempPageFiles pages(dir.Path().string() + "/");
  const std::string a = pages.NewTempPageFile();
  const std::string b = pages.NewTempPageFile();
  EXPECT_NE(a, b);
  for (const std::string& p : {a, b}) {
    EXPECT_EQ(fs::path(p).parent_path(), dir.Path());
    EXPECT_EQ(fs::path(p).filename().string().rfind("$qmv", 0), 0u) << p;
    EXPECT_EQ(fs::file_size(p), 0u);
  }
  pages.WritePage(a, "<html>2</html>");
  pages.WritePage(a, "<p>");  // replaced, not appended
  EXPECT_EQ(ReadFileBytes(a), "<p>");
  EXPECT_EQ(pages.Names(), (std::vector<std::string>{a, b}));
  EXPECT_TRUE(pages.Contains(b));
  EXPECT_FALSE(pages.Contains(dir.File("other.htm")));
}

TEST(TempPageFiles, PruneKeepsTheNewestAndNoneOutliveTheList) {
  TempDir dir;
  std::vector<std::string> made;
  {
    TempPageFiles pages(dir.Path().string());
    for (int i = 0; i < 6; ++i)
      made.push_back(pages.NewTempPageFile());
    fs::remove(made[1]);  // a file that has gone already is simply dropped
    pages.Prune(4);
    EXPECT_EQ(pages.Names(), std::vector<std::string>(made.begin() + 2, made.end()));
    EXPECT_EQ(FilesIn(dir.Path()), 4);
    EXPECT_FALSE(fs::exists(made[0]));
  }
  EXPECT_EQ(FilesIn(dir.Path()), 0);
}

TEST(TempPageFiles, FailuresCarryTheSystemsReason) {
  TempDir dir;
  TempPageFiles missing(dir.File("no-such-folder"));
  try {
    missing.NewTempPageFile();
    ADD_FAILURE() << "no error";
  } catch (const TempPageError& e) {
    EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos)
        << e.what();
  }
  EXPECT_TRUE(missing.Names().empty());

  // A page file that was deleted, or replaced by a link, is not written through.
  TempPageFiles pages(dir.Path().string());
  const std::string gone = pages.NewTempPageFile();
  fs::remove(gone);
  EXPECT_THROW(pages.WritePage(gone, "x"), TempPageError);
  EXPECT_FALSE(fs::exists(gone));
  const std::string linked = pages.NewTempPageFile();
  const std::string target = dir.Write("target", "keep");
  fs::remove(linked);
  fs::create_symlink(target, linked);
  EXPECT_THROW(pages.WritePage(linked, "x"), TempPageError);
  EXPECT_EQ(ReadFileBytes(target), "keep");
}

}  // namespace
}  // namespace yuzulog
