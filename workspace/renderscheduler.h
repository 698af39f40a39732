// The deferred drawing of the message view. Every source of navigation asks for a message; none
// is drawn at once. The drawing follows once requests have been quiet for kRestMs, so a burst (an
// arrow key held in the tree) draws only the last one. A request made while a drawing runs (the
// drawing of a search hit selects its tree node, which asks again) is dropped: the drawing ends
// with nothing owed. The window owns the timer; this class decides.
#pragma once

#include <functional>
#include <string>

#include "workspace/workspace.h"

namespace yuzulog {

class RenderScheduler {
 public:
  static constexpr int kRestMs = 100;

  // restartTimer (re)starts the window's single-shot timer of kRestMs, whose end calls Fire;
  // draw draws a request and throws what keeps it from drawing.
  RenderScheduler(std::function<void()> restartTimer, std::function<void(const ShowRequest&)> draw);

  void Request(ShowRequest request);
  // The messages are about to go: a drawing still owed draws nothing instead.
  void Forget();

  struct Outcome {
    bool Drew = false;
    std::string Error;  // what the drawing threw; it still counts as drawn
  };
  // The rest is over: draws the last request, unless nothing is owed or a drawing runs (then it
  // waits another rest).
  Outcome Fire();

  bool Pending() const { return FPending; }
  bool Drawing() const { return FDrawing; }
  const ShowRequest& Last() const { return FRequest; }

 private:
  std::function<void()> FRestartTimer;
  std::function<void(const ShowRequest&)> FDraw;
  ShowRequest FRequest;
  bool FPending = false;  // a drawing is owed
  bool FDrawing = false;
};

}  // namespace yuzulog
