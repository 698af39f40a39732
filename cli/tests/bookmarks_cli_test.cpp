// yuzulog-cli bookmarks, run as a whole program on a database made in a settings folder of its
// own.
#include <gtest/gtest.h>

#include "marks/markstore.h"
#include "platform/settingsfolder.h"
#include "tests/support/clirun.h"
#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

class BookmarksCli : public ::testing::Test {
 protected:
  testing::CliResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), "bookmarks");
    testing::RunOptions options;
    options.Environment = {"XDG_CONFIG_HOME=" + config.Path().string()};
    return testing::RunProgram(YUZULOG_CLI, args, options);
  }
  std::string DbPath() const { return MarkStorePath(SettingsDir(config.Path().string())); }
  testing::TempDir config;
};

TEST_F(BookmarksCli, ListsEachBookmarkAsALineOrAsJson) {
  {
    std::string problem;
    auto store = OpenMarkStore(SettingsDir(config.Path().string()), problem);
    ASSERT_TRUE(store) << problem;
    bool added = false;
    const MarkKey key = MakeMarkKey(12, 345, "ABC01234", "97/05/04 21:25");
    ASSERT_TRUE(store->ToggleBookmark({key, "ゆず\"味噌\"", "ゆず", "読む\tあとで", 0}, added));
  }
  const testing::CliResult text = Run({});
  ASSERT_EQ(text.Status, 0) << text.Err;
  EXPECT_EQ(text.Out,
            "12\t345\tABC01234\t97/05/04 21:25\tゆず\"味噌\"\tゆず\t読む あとで\t"
            "1970-01-01T00:00:00Z\n");
  const testing::CliResult json = Run({"--format=json"});
  ASSERT_EQ(json.Status, 0) << json.Err;
  EXPECT_EQ(json.Out,
            "[{\"room\":12,\"number\":345,\"id\":\"ABC01234\",\"date\":\"97/05/04 21:25\","
            "\"title\":\"ゆず\\\"味噌\\\"\",\"handle\":\"ゆず\",\"note\":\"読む\\u0009あとで\","
            "\"created\":\"1970-01-01T00:00:00Z\"}]\n");
}

TEST_F(BookmarksCli, NoBookmarksIsNoErrorAndCreatesNoDatabase) {
  const testing::CliResult text = Run({});
  EXPECT_EQ(text.Status, 0) << text.Err;
  EXPECT_EQ(text.Out, "");
  EXPECT_EQ(Run({"--format=json"}).Out, "[]\n");
  EXPECT_FALSE(std::filesystem::exists(DbPath()));
  EXPECT_EQ(Run({"some.LOG"}).Status, 2);
  EXPECT_EQ(Run({"--format=xml"}).Status, 2);
}

}  // namespace
}  // namespace yuzulog
