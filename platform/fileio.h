// Reading and writing through file descriptors: the loops that retry after an interruption and
// carry on after a partial transfer, and a descriptor that closes itself.
#pragma once

#include <cstddef>

namespace yuzulog {

// A file descriptor closed when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(int fd = -1) : FFd(fd) {}
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int Get() const { return FFd; }
  // Closes now; false when the close reported an error (delayed write failures show here).
  bool Close();

 private:
  int FFd;
};

// Reads exactly size bytes: 0 when they all came, else the errno of the read that failed (EIO
// when the file ended first).
int ReadFully(int fd, void* to, std::size_t size);
// Writes all size bytes: 0, or the errno of the write that failed.
int WriteFully(int fd, const void* from, std::size_t size);

}  // namespace yuzulog
