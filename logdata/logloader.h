// Gets the bytes of one log file into memory on a worker thread: a .LOG file is read directly,
// anything else is taken as an LHA archive whose largest member is extracted.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "logdata/loaderthread.h"
#include "logdata/logdata.h"

namespace yuzulog {

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
