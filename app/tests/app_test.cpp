// The desktop program run as a separate process: how it ends and what it leaves behind.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/clirun.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

TEST(App, EndingSignalsSaveTheSettingsAsTheExitCommandDoes) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    testing::TempDir home;
    // Blocked until the program unblocks it with its handler in place: the signal waits pending.
    sigset_t block, previous;
    sigemptyset(&block);
    sigaddset(&block, signal);
    ::sigprocmask(SIG_BLOCK, &block, &previous);
    const pid_t child = ::fork();
    if (child == 0) {
      ::setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
      ::alarm(120);  // a program that never takes the signal would wait for it for ever
      ::execl(YUZULOG_PROGRAM, YUZULOG_PROGRAM, static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << signal << ": " << status;
    EXPECT_TRUE(std::filesystem::exists(home.Path() / "yuzulog/YUZU_LOG/Form1.INI")) << signal;
  }
}

TEST(App, AScreenshotIsWrittenWholeOrTheRunFails) {
  testing::TempDir home;
  testing::RunOptions options;
  options.Environment = {"XDG_CONFIG_HOME=" + home.Path().string()};
  for (const std::string bad : {"/nonexistent/dir/x.png", "/dev/full"}) {
    const testing::CliResult r =
        testing::RunProgram(YUZULOG_PROGRAM, {"Screenshot:" + bad}, options);
    EXPECT_NE(r.Status, 0) << bad;
    EXPECT_NE(r.Err.find("cannot write the screenshot " + bad), std::string::npos) << r.Err;
  }
  const std::string image = home.Write("shot.png", "an older file");
  EXPECT_EQ(testing::RunProgram(YUZULOG_PROGRAM, {"Screenshot:" + image}, options).Status, 0);
  EXPECT_EQ(testing::ReadFileBytes(image).substr(0, 4), "\x89PNG");
}

}  // namespace
}  // namespace yuzulog
