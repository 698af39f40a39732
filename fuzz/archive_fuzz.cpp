// Any bytes as an archive: the archive layer and the loader must fail cleanly or load a log.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "logdata/logdata.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  char path[] = "/tmp/yuzulog-archive-fuzz-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) {
    close(fd);
    unlink(path);
    return 0;
  }
  close(fd);
  yuzulog::TLogData log;
  const yuzulog::LoadResult result = log.LoadFromFile(path);
  const bool loaded = static_cast<bool>(result);
  unlink(path);
  if (loaded && (log.Count() == 0 || log.Buffer() == nullptr)) __builtin_trap();
  // A failure leaves nothing behind and says why.
  if (!loaded && (log.Count() != 0 || log.Buffer() != nullptr || result.Reason.empty()))
    __builtin_trap();
  return 0;
}
