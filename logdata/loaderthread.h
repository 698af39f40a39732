// The one thread that loads files: work is handed to it and waited for, or taken back when the
// thread has not begun it.
#pragma once

#include <functional>

namespace yuzulog {

// Work handed to the loader thread, which runs one piece of work at a time: Start hands it over
// and returns at once (after the work of another caller, if one was handed over, has ended); Wait
// waits for it to end. Destroying a started LoaderThread waits too. Work run there must not start
// work of its own: it would wait for itself.
class LoaderThread {
 public:
  LoaderThread() = default;
  LoaderThread(const LoaderThread&) = delete;
  LoaderThread& operator=(const LoaderThread&) = delete;
  ~LoaderThread();

  // Throws std::system_error when the loader thread cannot be started (nothing is handed over).
  void Start(std::function<void()> work);
  void Wait();
  // Like Wait, but work the loader thread has not begun yet is taken back and run on the calling
  // thread: on a machine whose cores are all busy the loader thread may get none for a while,
  // and the caller would only wait.
  void Finish();
  // Like Wait, but work the loader thread has not begun yet is dropped.
  void Drop();
  // Started and not yet waited for.
  bool Busy() const { return FStarted; }
  // True when no work was handed over or it has ended; does not wait.
  bool Ended() const;
  // 0 when the loader thread runs or can be started now; else why it cannot (an errno value).
  static int StartError();

 private:
  class Worker;
  enum class State { Waiting, Running, Ended };
  std::function<void()> FWork;
  bool FStarted = false;
  State FState = State::Ended;  // changed under the worker's lock
};

}  // namespace yuzulog
