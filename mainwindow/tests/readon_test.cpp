// Reading on with Space: what it does at each place on a page, and which messages of a thread
// page count as passed.
#include "mainwindow/readon.h"

#include <gtest/gtest.h>

namespace yuzulog {
namespace {

TEST(ReadOn, SpaceScrollsUntilThePageEndThenReadsOn) {
  EXPECT_EQ(SpaceActionFor({0, 300, 1000}, false), SpaceAction::ScrollDown);
  EXPECT_EQ(SpaceActionFor({699, 300, 1000}, false), SpaceAction::ReadOn);  // rounding slack
  EXPECT_EQ(SpaceActionFor({0, 300, 200}, false), SpaceAction::ReadOn);     // a short page
  EXPECT_EQ(SpaceActionFor({700, 300, 1000}, true), SpaceAction::ScrollUp);
  EXPECT_EQ(SpaceActionFor({0.5, 300, 1000}, true), SpaceAction::Nothing);
}

TEST(ReadOn, OnlyEntriesWhoseEndScrolledAboveTheTopArePassed) {
  const std::vector<double> ends = {100, 250, 400, 900, 1000};
  const auto passed = [&](double from, double top) {
    const EntryRange r = PassedEntries(ends, from, {top, 300, 1000});
    return std::pair(r.First, r.Last);
  };
  EXPECT_EQ(passed(250, 260), std::pair(2ul, 2ul));  // opened at 250: the ones above were skipped
  EXPECT_EQ(passed(250, 450), std::pair(2ul, 3ul));
  EXPECT_EQ(passed(450, 700), std::pair(3ul, 5ul));                 // the page's end shows the rest
  EXPECT_TRUE(PassedEntries(ends, 450, {100, 300, 1000}).Empty());  // back up
  EXPECT_EQ(EndsByLines(std::vector<int>{1, 3}, 1, 500), (std::vector<double>{200, 500}));
}

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
