#include "platform/endingsignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iterator>
#include <mutex>

#include "platform/ownedtempfiles.h"

namespace yuzulog {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[std::size(kEndingSignals)];
int gPipe[2] = {-1, -1};
std::atomic<bool> gEnding{false};

extern "C" void WriteSignalByte(int signal) {
  const int savedErrno = errno;
  if (gEnding.exchange(true)) {
    // The orderly ending did not finish before the next signal: end now, as without a handler.
    RemoveRegisteredFilesNow();
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
      if (kEndingSignals[i] == signal) ::sigaction(signal, &gPrevious[i], nullptr);
    ::raise(signal);
  } else {
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a signal the loop has yet to read.
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
  }
  errno = savedErrno;
}

void Install() {
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    gPipe[0] = gPipe[1] = -1;
    return;
  }
  sigset_t unblock;
  sigemptyset(&unblock);
  for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
    struct sigaction current {};
    if (::sigaction(kEndingSignals[i], nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN) continue;
    gPrevious[i] = current;
    struct sigaction action {};
    action.sa_handler = WriteSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(kEndingSignals[i], &action, nullptr);
    sigaddset(&unblock, kEndingSignals[i]);
  }
  ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
}

}  // namespace

int WatchEndingSignals() {
  static std::once_flag once;
  std::call_once(once, Install);
  return gPipe[0];
}

int TakeEndingSignal(int fd) {
  int signal = 0;
  unsigned char byte = 0;
  while (::read(fd, &byte, 1) == 1)
    signal = byte;
  return signal;
}

}  // namespace yuzulog
