// The program's fontconfig configuration, read by fontconfig itself: each design family becomes
// its IPA stand-in, bound strongly (the browser engine drops weakly bound substitutes).
#include "platform/fontaliases.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/support/tempdir.h"

namespace yuzulog {
namespace {

std::string Output(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0)
    out.append(buf, n);
  pclose(p);
  return out;
}

TEST(FontAliases, FontconfigResolvesEveryDesignFamilyToItsStandIn) {
  if (access("/usr/bin/fc-pattern", X_OK) != 0 || access("/usr/bin/fc-match", X_OK) != 0)
    GTEST_SKIP() << "fontconfig's tools are not installed";
  testing::TempDir dir;
  const std::string path = WriteFontAliasConfig(dir.Path().string(), "/etc/fonts/fonts.conf");
  ASSERT_EQ(path, dir.File("fonts.conf"));
  // Written once; a second start finds it as it is.
  const auto written = std::filesystem::last_write_time(path);
  EXPECT_EQ(WriteFontAliasConfig(dir.Path().string(), "/etc/fonts/fonts.conf"), path);
  EXPECT_EQ(std::filesystem::last_write_time(path), written);

  const std::string env = "FONTCONFIG_FILE='" + path + "' ";
  for (const FontAlias& a : kDesignFontAliases) {
    const std::string family(a.Design), here(a.Here);
    SCOPED_TRACE(family);
    const std::string pattern =
        Output(env + "/usr/bin/fc-pattern --config '" + family + "' family");
    EXPECT_NE(pattern.find("family: \"" + here + "\"(s)"), std::string::npos) << pattern;
    // The system's own rules still apply: the stand-in is installed and matched.
    EXPECT_EQ(Output(env + "/usr/bin/fc-match -f '%{family[0]}' '" + family + "'"), here);
  }
}

TEST(FontAliases, OurOwnConfigurationUnderAnotherSpellingIsNeverIncluded) {
  // A window started from one that runs with ours has it in FONTCONFIG_FILE, maybe spelled with
  // "//", "." or through a link; including itself, fontconfig would find no font at all.
  testing::TempDir dir;
  const std::string cache = dir.Path().string(), own = cache + "/yuzulog/fonts.conf";
  std::filesystem::create_symlink(cache + "/yuzulog", cache + "/link");
  const std::string saved[] = {
      std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "",
      std::getenv("FONTCONFIG_FILE") ? std::getenv("FONTCONFIG_FILE") : ""};
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  for (const std::string& spelling :
       {cache + "//yuzulog/fonts.conf", cache + "/yuzulog/./fonts.conf",
        cache + "/link/fonts.conf"}) {
    for (const bool exists : {false, true}) {
      if (!exists) std::filesystem::remove(own);
      setenv("FONTCONFIG_FILE", spelling.c_str(), 1);
      ASSERT_TRUE(UseFontAliases());
      EXPECT_EQ(testing::ReadFileBytes(own), FontAliasConfig("/etc/fonts/fonts.conf")) << spelling;
    }
  }
  setenv("XDG_CACHE_HOME", saved[0].c_str(), 1);
  setenv("FONTCONFIG_FILE", saved[1].c_str(), 1);
}

}  // namespace
}  // namespace yuzulog
