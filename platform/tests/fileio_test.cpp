// Writing a file whole: what it replaces is never lost, whatever kind of file the path names.
#include "platform/fileio.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>

#include "platform/inifile.h"
#include "tests/support/tempdir.h"
#include "tests/support/unprivileged.h"

namespace yuzulog {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempDir;

// A device of our own that fails every write with "no space left", as /dev/full does; empty
// when this system does not let the tests make one.
std::string FullDevice(const TempDir& dir) {
  const std::string path = dir.File("full");
  return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0 ? path : std::string();
}

int Entries(const TempDir& dir) {
  return static_cast<int>(std::distance(fs::directory_iterator(dir.Path()), {}));
}

TEST(WholeFileWrite, ThroughASymbolicLinkTheFileItNamesIsReplaced) {
  TempDir dir;
  const std::string file = dir.Write("real.INI", "old");
  const std::string link = dir.File("link.INI");
  fs::create_symlink(file, link);
  ASSERT_TRUE(WriteFileAtomically(link, "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(file), "new");
  EXPECT_EQ(Entries(dir), 2);
}

TEST(WholeFileWrite, PipesAndDevicesAreWrittenInPlaceNeverReplaced) {
  TempDir dir;
  // A pipe with a reader takes the bytes and stays a pipe.
  const std::string pipe = dir.File("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  FileHandle reader(::open(pipe.c_str(), O_RDONLY | O_NONBLOCK));
  ASSERT_GE(reader.Get(), 0);
  EXPECT_TRUE(WriteFileAtomically(pipe, "abc"));
  char got[8] = {};
  EXPECT_EQ(::read(reader.Get(), got, sizeof got), 3);
  EXPECT_STREQ(got, "abc");
  EXPECT_TRUE(fs::is_fifo(pipe));
  // Without a reader the write fails at once instead of waiting for one.
  reader.Close();
  EXPECT_FALSE(WriteFileAtomically(pipe, "abc"));
  EXPECT_TRUE(fs::is_fifo(pipe));
  // A full device reports the failure and stays the device, also through a link.
  const std::string full = FullDevice(dir);
  if (full.empty()) GTEST_SKIP() << "cannot make a device node here";
  fs::create_symlink(full, dir.File("full-link"));
  for (const std::string& path : {full, dir.File("full-link")}) {
    EXPECT_FALSE(WriteFileAtomically(path, "abc")) << path;
    EXPECT_TRUE(fs::is_character_file(full)) << path;
  }
  EXPECT_EQ(Entries(dir), 3);
}

TEST(WholeFileWrite, KeepsTheModeAndHonoursAWriteProtectedFile) {
  TempDir dir;
  fs::permissions(dir.Path(), fs::perms::all);
  const std::string privateFile = dir.Write("private.INI", "old");
  fs::permissions(privateFile, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(WriteFileAtomically(privateFile, "new"));
  EXPECT_EQ(fs::status(privateFile).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  // Refused as writing into the file would be, and the file keeps what it held.
  const std::string locked = dir.Write("locked.INI", "keep");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(testing::RunUnprivileged([&] { return WriteFileAtomically(locked, "new") ? 1 : 0; }),
            0);
  EXPECT_EQ(ReadFileBytes(locked), "keep");
  EXPECT_EQ(Entries(dir), 2);
}

}  // namespace
}  // namespace yuzulog
