// Reading and writing through file descriptors: the loops that retry after an interruption and
// carry on after a partial transfer, a descriptor that closes itself, and whole files read and
// written so that neither a hostile file nor a failed write costs anything.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ownedtempfiles.h"

namespace yuzulog {

// A file descriptor closed when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(int fd = -1) : FFd(fd) {}
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int Get() const { return FFd; }
  // Closes the descriptor held (if any) and holds fd instead.
  void Reset(int fd);
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

// Opens path with flags without waiting: a pipe or a device named like a file never holds the
// caller (a pipe opened for writing with no reader fails at once with ENXIO). Returns the
// descriptor, blocking again for reads and writes, or -1 with errno set.
int OpenWithoutWaiting(const std::string& path, int flags);

// Reads a whole file into bytes: 0, or the errno that kept it from being read (ENOENT when there
// is no such file, EISDIR for a folder, EFBIG when it holds more than maxBytes).
int ReadWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes);

// Writes a file whole so that what it replaces is never lost:
// - a regular file, or none yet: the bytes go into a new file beside it, which takes its place
//   only once everything is written and synced (a failure leaves the old file and no new one;
//   so do SIGINT, SIGTERM and SIGHUP, and a later save into the folder removes what a kill
//   that cannot be caught left behind: see CreateTemporaryBeside);
//   the new file keeps the old one's mode and, where the system allows, its owner;
// - through a symbolic link, the file the link names is replaced, never the link;
// - anything else that exists (a device, a pipe) is written in place, as a shell redirection
//   would; a pipe without a reader fails at once instead of waiting for one;
// - a file that may not be written is refused as opening it for writing would refuse it.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement() { Abandon(); }
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Starts writing path: 0, or the errno that refuses it.
  int Begin(const std::string& path);
  // Where the bytes go.
  int Fd() const { return FFile.Get(); }
  // Puts what was written in place of the old file: 0, or the errno that kept it from there
  // (the old file then stays as it was).
  int Commit();
  // Drops what was written; the old file stays as it was. Bytes already written in place into a
  // device or a pipe cannot be taken back.
  void Abandon();

 private:
  FileHandle FFile;
  std::string FTarget;
  std::string FTemporary;  // empty when writing in place
  RemovalOnSignal FRemoval;
};

// Replaces path with bytes through a FileReplacement; false (and the errno in error) when it
// could not be written, the old file then left as it was.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, int* error = nullptr);

}  // namespace yuzulog
