#include "platform/fileio.h"

#include <unistd.h>

#include <cerrno>

namespace yuzulog {

FileHandle::~FileHandle() {
  if (FFd >= 0) ::close(FFd);
}

bool FileHandle::Close() {
  const int fd = FFd;
  FFd = -1;
  return fd < 0 || ::close(fd) == 0;
}

int ReadFully(int fd, void* to, std::size_t size) {
  char* p = static_cast<char*>(to);
  while (size > 0) {
    const ssize_t got = ::read(fd, p, size);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    // The file is shorter than it was when its length was taken.
    if (got == 0) return EIO;
    p += got;
    size -= static_cast<std::size_t>(got);
  }
  return 0;
}

int WriteFully(int fd, const void* from, std::size_t size) {
  const char* p = static_cast<const char*>(from);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace yuzulog
