// The program's fontconfig configuration, read by fontconfig itself: each design family becomes
// its IPA stand-in, bound strongly (the browser engine drops weakly bound substitutes).
#include "platform/fontaliases.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
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

}  // namespace
}  // namespace yuzulog
