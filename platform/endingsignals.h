// SIGINT, SIGTERM and SIGHUP turned into bytes on a pipe, so that a program with an event loop
// can end its run in order (its settings and lists saved, its files removed) when it is logged
// out or killed politely. The handler only writes a byte; whatever the ending does happens in the
// loop that reads the pipe.
#pragma once

namespace yuzulog {

// Installs the handlers for those of the three signals whose action is the default (an ignored
// signal stays ignored), then unblocks them, so that a signal that came while they were blocked
// is read from the pipe too. Returns the pipe's read end (non-blocking, close-on-exec), or -1
// when no pipe could be made; the same descriptor on every call.
// A second signal, while the first is still being handled, removes the files registered with
// RemovalOnSignal and ends the process under the signal's previous action.
int WatchEndingSignals();

// Reads what the pipe holds: the last signal received, or 0 when it held nothing.
int TakeEndingSignal(int fd);

}  // namespace yuzulog
