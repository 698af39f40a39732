#include "workspace/renderscheduler.h"

#include <exception>
#include <utility>

namespace yuzulog {

RenderScheduler::RenderScheduler(std::function<void()> restartTimer,
                                 std::function<void(const ShowRequest&)> draw)
    : FRestartTimer(std::move(restartTimer)), FDraw(std::move(draw)) {}

void RenderScheduler::Request(ShowRequest request) {
  FRequest = std::move(request);
  FPending = true;
  FRestartTimer();
}

void RenderScheduler::Forget() {
  FRequest = {};
}

RenderScheduler::Outcome RenderScheduler::Fire() {
  if (!FPending) return {};
  if (FDrawing) {
    FRestartTimer();
    return {};
  }
  FDrawing = true;
  Outcome outcome{true, {}};
  // A copy: a request made during the drawing replaces FRequest.
  const ShowRequest drawing = FRequest;
  try {
    FDraw(drawing);
  } catch (const std::exception& e) {
    outcome.Error = e.what();
  }
  // Whatever was asked meanwhile is dropped; an error still leaves the next request free to draw.
  FPending = false;
  FDrawing = false;
  return outcome;
}

}  // namespace yuzulog
