// What an interrupted or killed run leaves in a folder: the temporary of a save and the page
// files, removed on the signals that can be caught and by the next run after those that cannot.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/fileio.h"
#include "platform/temppagefiles.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::set<std::string> Names(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.Path()))
    names.insert(e.path().filename().string());
  return names;
}

// The number of a process that has ended, and this process's.
std::string GonePid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return std::to_string(child);
}
const std::string kAlive = std::to_string(getpid());

TEST(LeftoversTest, ASaveEndedBySignalLeavesNoTemporary) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    TempDir dir;
    const std::string target = dir.Write("out.txt", "old");
    const pid_t child = fork();
    if (child == 0) {
      FileReplacement file;
      if (file.Begin(target) == 0 && WriteFully(file.Fd(), "new", 3) == 0) raise(signal);
      _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << " " << status;
    EXPECT_EQ(Names(dir), std::set<std::string>{"out.txt"}) << signal;
  }
}

TEST(LeftoversTest, TheNextSaveRemovesTheTemporariesOfGoneProcesses) {
  TempDir dir;
  const std::string gone = GonePid();
  const std::set<std::string> kept = {
      "out.txt", ".out.txt.yuzulog-" + kAlive + "-7",  // a save of a running process
      "out.txt.yuzulog-" + gone + "-1",                // not hidden: not ours
      ".out.txt.yuzulog-" + gone + "-1a", ".link.yuzulog-" + gone + "-3"};
  for (const std::string& name : kept)
    if (name.rfind(".link", 0) != 0) dir.Write(name, "x");
  fs::create_symlink("/nonexistent", dir.File(".link.yuzulog-" + gone + "-3"));  // never followed
  dir.Write(".out.txt.yuzulog-" + gone + "-12", "killed save");
  dir.Write(".other.LOG.yuzulog-" + gone + "-5", "another target's");
  ASSERT_TRUE(WriteFileAtomically(dir.File("out.txt"), "new"));
  EXPECT_EQ(Names(dir), kept);
}

TEST(LeftoversTest, PageFilesOfGoneProcessesAreRemovedAtStart) {
  TempDir dir;
  const std::string gone = GonePid();
  const std::set<std::string> kept = {"$qmv" + kAlive + "-abcdef.htm",  // another window's
                                      "$qmvabcdef.htm",                 // no pid to go by
                                      "$qmv" + gone + "-abc.htm"};
  for (const std::string& name : kept)
    dir.Write(name, "<p>");
  dir.Write("$qmv" + gone + "-Zx9_a1.htm", "<p>killed");
  TempPageFiles pages(dir.Path().string());
  EXPECT_EQ(Names(dir), kept);
  EXPECT_EQ(PageFileOwner(fs::path(pages.NewTempPageFile()).filename().string()), getpid());
}

}  // namespace
}  // namespace yuzulog
