#include "platform/settingsfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

GetEnvFunction Env(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](const char* name) -> const char* {
    const auto it = vars.find(name);
    return it == vars.end() ? nullptr : it->second.c_str();
  };
}

TEST(SettingsFolder, XdgConfigHomeComesFirst) {
  EXPECT_EQ(GetSettingsFolder(Env({{"XDG_CONFIG_HOME", "/x/cfg"}, {"HOME", "/home/u"}})),
            "/x/cfg/");
  EXPECT_EQ(SettingsDir("/x/cfg/"), "/x/cfg/yuzulog/YUZU_LOG/");
  EXPECT_EQ(SettingsDir("/x/cfg"), "/x/cfg/yuzulog/YUZU_LOG/");
}

TEST(SettingsFolder, HomeConfigWhenXdgIsUnsetEmptyOrRelative) {
  EXPECT_EQ(GetSettingsFolder(Env({{"HOME", "/home/u"}})), "/home/u/.config/");
  EXPECT_EQ(GetSettingsFolder(Env({{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u/"}})),
            "/home/u/.config/");
  EXPECT_EQ(GetSettingsFolder(Env({{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/u"}})),
            "/home/u/.config/");
}

TEST(SettingsFolder, ExecutableFolderWhenNothingIsKnown) {
  const std::string f = GetSettingsFolder(Env({}));
  EXPECT_EQ(f, ExecutableFolder());
  EXPECT_EQ(f.back(), '/');
}

TEST(SettingsFolder, CreateMakesEveryMissingParent) {
  testing::TempDir dir;
  const std::string d = SettingsDir((dir.Path() / "a" / "b").string());
  EXPECT_TRUE(CreateSettingsDir(d));
  EXPECT_TRUE(std::filesystem::is_directory(d));
  EXPECT_TRUE(CreateSettingsDir(d));  // already there
  dir.Write("file", "x");
  EXPECT_FALSE(CreateSettingsDir(dir.File("file") + "/sub/"));
}

}  // namespace
}  // namespace yuzulog
