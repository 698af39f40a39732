#include "platform/paths.h"

#include <gtest/gtest.h>

#include "common/sjis.h"

namespace yuzulog {
namespace {

TEST(PathsTest, PathHelpers) {
  EXPECT_EQ(FileExtension("/a.b/file"), "");
  EXPECT_EQ(FileExtension("/a/file.tar.LZH"), ".LZH");
  EXPECT_TRUE(ExtensionIs(".log", ".LOG"));
  EXPECT_FALSE(ExtensionIs(".logs", ".LOG"));
  EXPECT_FALSE(ExtensionIs(".lo", ".LOG"));
  EXPECT_EQ(FullPath("/x/./y//z/../f.LOG"), "/x/y/f.LOG");
  EXPECT_EQ(BaseName("/x/y/f.LOG"), "f.LOG");
  EXPECT_EQ(BaseName("f.LOG"), "f.LOG");
}

TEST(PathsTest, AsciiCaseFoldsOnlyHalfWidthLetters) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("KGH03571", "kgh03571"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("KGH0357", "kgh03571"));
  // '@' (0x40) and '`' (0x60) differ by the case bit but are no letters.
  EXPECT_FALSE(EqualsIgnoringAsciiCase("@", "`"));
  EXPECT_TRUE(StartsWithIgnoringAsciiCase("viewmode:1", "ViewMode:"));
  EXPECT_FALSE(StartsWithIgnoringAsciiCase("View", "ViewMode:"));
}

}  // namespace
}  // namespace yuzulog
