#include "stats/statssettings.h"

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

// The place and size survive a write and a read; other keys of the file stay; a place off the
// desktop is moved onto it, and one without area gives way to the defaults.
TEST(StatsSettings, KeptInTheirOwnFileAndFittedToTheDesktop) {
  const testing::TempDir temp;
  const std::string dir = temp.Path().string() + "/";
  IniFile other(dir + kStatsSettingsFile);
  other.WriteString("Window", "Kept", "1");
  ASSERT_TRUE(other.UpdateFile());
  const StatsSettings written{40, 50, 640, 480};
  ASSERT_TRUE(WriteStatsSettings(dir, written));
  EXPECT_EQ(ReadStatsSettings(dir, {}), written);
  EXPECT_EQ(IniFile(dir + kStatsSettingsFile).ReadString("Window", "Kept", ""), "1");

  const StatsSettings defaults{10, 10, 300, 200};
  const WindowRect desktop{0, 0, 1024, 768};
  StatsSettings off{2000, -900, 640, 480};
  FitToDesktop(off, defaults, desktop);
  EXPECT_EQ(off, (StatsSettings{384, 0, 640, 480}));
  StatsSettings empty{5, 5, 0, 480};
  FitToDesktop(empty, defaults, desktop);
  EXPECT_EQ(empty, defaults);
}

}  // namespace
}  // namespace yuzulog
