// Waiting inside a running event loop. QTest::qWait and qWaitFor poll (process, sleep 10 ms),
// which starves the browser engine's message pump: a page that loads in 10 ms through an event
// loop takes over a second under them. Tests and benchmarks that wait for the browser view use
// this instead.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace yuzulog::testing {

// Runs the event loop until done() holds (checked every few milliseconds) or timeoutMs have
// passed; returns done().
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
  if (done()) return true;
  QEventLoop loop;
  QTimer poll;
  QElapsedTimer clock;
  clock.start();
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done() || clock.elapsed() >= timeoutMs) loop.quit();
  });
  poll.start(2);
  loop.exec();
  return done();
}

// Runs the event loop for ms milliseconds.
inline void RunFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  RunUntil([&clock, ms] { return clock.elapsed() >= ms; }, ms + 1000);
}

}  // namespace yuzulog::testing
