// The deferred drawing: a burst draws only its last request, a request made while a drawing runs
// is dropped, a failed drawing still frees the next one, and forgotten messages draw nothing.
#include "workspace/renderscheduler.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace yuzulog {
namespace {

TEST(RenderScheduler, DrawsTheLastOfABurstAndDropsWhatADrawingAsksFor) {
  int restarts = 0;
  std::vector<const TLogMessage*> drawn;
  RenderScheduler* self = nullptr;
  const TLogMessage a(nullptr), b(nullptr);
  RenderScheduler s([&] { ++restarts; },
                    [&](const ShowRequest& r) {
                      drawn.push_back(r.Message);
                      if (r.WithHits()) self->Request({r.Message, ShowOrigin::Tree, {}});
                      EXPECT_EQ(self->Fire().Drew, false);  // waits for the drawing to end
                      if (r.Message == &b && !r.WithHits()) throw std::runtime_error("disk full");
                    });
  self = &s;
  EXPECT_FALSE(s.Fire().Drew);  // nothing owed
  s.Request({&a, ShowOrigin::Tree, {}});
  s.Request({&b, ShowOrigin::SearchHit, {0, 2}});
  EXPECT_EQ(restarts, 2);
  EXPECT_TRUE(s.Fire().Drew);
  EXPECT_EQ(drawn, std::vector<const TLogMessage*>{&b});
  EXPECT_FALSE(s.Pending());  // the tree's request made while drawing was dropped
  EXPECT_FALSE(s.Fire().Drew);

  s.Request({&b, ShowOrigin::Tree, {}});
  EXPECT_EQ(s.Fire().Error, "disk full");
  s.Request({&a, ShowOrigin::Tree, {}});
  s.Forget();
  EXPECT_TRUE(s.Fire().Drew);
  EXPECT_EQ(drawn.back(), nullptr);
}

}  // namespace
}  // namespace yuzulog
