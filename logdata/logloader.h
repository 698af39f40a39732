// Gets the bytes of one log file into memory on a worker thread: a .LOG file is read directly,
// anything else is taken as an LHA archive whose largest member is extracted.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "logdata/logdata.h"

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

class TLogLoader {
 public:
  explicit TLogLoader(std::string fileName) : FileName(std::move(fileName)) {}

  // Runs Execute on the loader thread and waits for it to end. The archive layer owns no window,
  // so nothing has to be dispatched while the caller waits.
  void RunAndWait();
  // The work itself; public so tests can run it on their own thread.
  void Execute();

  std::string FileName;
  ByteBlock Buffer;            // the text followed by one NUL; empty on failure
  std::size_t BufferSize = 0;  // text length + 1; 0 on failure
  std::size_t NulBytes = 0;    // NUL bytes of the text, which the buffer holds as '?'
  // Why there is no buffer (Loaded when there is one), and the errno behind CannotRead.
  LoadOutcome Outcome = LoadOutcome::Loaded;
  int SystemError = 0;
  // Called after a .LOG file's length was taken and before its bytes are read: tests change the
  // file there, as another program may at any time.
  std::function<void()> AfterSizeQuery;

 private:
  void ReadLogFile();
  void ExtractFromArchive();
  void Fail(LoadOutcome outcome, int systemError = 0);
};

}  // namespace yuzulog
