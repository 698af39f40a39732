// When a request goes to its place on the thread page shown instead of drawing again.
#include "mainwindow/readon.h"

#include <gtest/gtest.h>

namespace yuzulog {
namespace {

TEST(ReadOn, ARequestGoesToAnEntryOnlyOnTheSamePageWithoutHits) {
  ShownThreadPage page{{7, 8, 9}, false};
  EXPECT_EQ(page.EntryFor(9, false, false), 2u);
  EXPECT_FALSE(page.EntryFor(10, false, false));  // another thread
  EXPECT_FALSE(page.EntryFor(8, false, true));    // a restyle draws again
  EXPECT_FALSE(page.EntryFor(8, true, false));    // a search hit brings its hits
  page.WithHits = true;
  EXPECT_FALSE(page.EntryFor(8, false, false));  // the tree's request drops them
}

}  // namespace
}  // namespace yuzulog
