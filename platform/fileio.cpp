#include "platform/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

namespace yuzulog {

FileHandle::~FileHandle() {
  if (FFd >= 0) ::close(FFd);
}

void FileHandle::Reset(int fd) {
  Close();
  FFd = fd;
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

int OpenWithoutWaiting(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  // Opening was the only step that could wait; reads and writes block again as usual.
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) < 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

int ReadWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
  bytes.clear();
  // Without waiting: a pipe without a writer reads as empty, one with a writer gives what is
  // there now, and neither holds the caller.
  FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.Get() < 0) return errno;
  struct stat st {};
  if (::fstat(file.Get(), &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > maxBytes) return EFBIG;
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) break;
      return errno;
    }
    if (got == 0) break;
    // A device such as /dev/zero never ends.
    if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) return EFBIG;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  return 0;
}

namespace {

// The file a path names, through any symbolic links; the path itself when it is no link.
std::string LinkTarget(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(path, ec)) return path;
  // A link to a file that does not exist yet names where that file is to be created.
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : resolved.string();
}

}  // namespace

int FileReplacement::Begin(const std::string& path) {
  Abandon();
  FTarget = LinkTarget(path);
  struct stat existing {};
  const bool exists = ::stat(FTarget.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return errno;

  if (exists && !S_ISREG(existing.st_mode)) {
    // A device or a pipe is written into, as a redirection would; a folder refuses (EISDIR).
    const int fd = OpenWithoutWaiting(FTarget, O_WRONLY | O_TRUNC);
    if (fd < 0) return errno;
    FFile.Reset(fd);
    return 0;
  }
  if (exists) {
    // Writing is refused where writing into the file would be refused (its mode, a read-only
    // file system, an immutable file): the rename below would not ask.
    const int probe = OpenWithoutWaiting(FTarget, O_WRONLY);
    if (probe < 0) return errno;
    ::close(probe);
  }

  const int fd = CreateTemporaryBeside(FTarget, FTemporary);
  if (fd < 0) return errno;
  FFile.Reset(fd);
  // An interrupted save (a large one takes a while) leaves nothing behind.
  FRemoval.Register(FTemporary);
  if (exists) {
    // The owner first: changing it clears the set-id bits that the mode then puts back. Only
    // root may give a file away; for anyone else the new file is theirs, as the old one was.
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
      // Not allowed: the new file stays the writer's own, as any file the writer makes would.
    }
    if (::fchmod(fd, existing.st_mode & 07777) != 0) {
      const int error = errno;
      Abandon();
      return error;
    }
  }
  return 0;
}

int FileReplacement::Commit() {
  if (FFile.Get() < 0) return EBADF;
  if (FTemporary.empty()) return FFile.Close() ? 0 : errno;
  int error = ::fsync(FFile.Get()) == 0 ? 0 : errno;
  if (!FFile.Close() && error == 0) error = errno;
  if (error == 0 && std::rename(FTemporary.c_str(), FTarget.c_str()) != 0) error = errno;
  if (error != 0) {
    Abandon();
    return error;
  }
  FRemoval.Release();
  FTemporary.clear();
  return 0;
}

void FileReplacement::Abandon() {
  FFile.Close();
  if (!FTemporary.empty()) ::unlink(FTemporary.c_str());
  FRemoval.Release();
  FTemporary.clear();
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, int* error) {
  FileReplacement file;
  int e = file.Begin(path);
  if (e == 0) e = WriteFully(file.Fd(), bytes.data(), bytes.size());
  if (e == 0) e = file.Commit();
  if (error) *error = e;
  return e == 0;
}

}  // namespace yuzulog
