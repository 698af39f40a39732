// Where an export goes: a file or a folder built under a temporary name beside its destination and
// moved into place only when it is complete, so that a cancelled, failed or killed export never
// leaves anything half-written under the destination's name.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "export/cp932export.h"
#include "platform/fileio.h"

namespace yuzulog {

// An export that cannot go on; what() says why in the program's language (UTF-8).
struct ExportError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// The error text of a failed system call on path.
ExportError SystemError(const std::string& what, const std::string& path, int error);

// The temporary beside path that process pid builds (tag "new"), or the old destination it moves
// aside while the new one replaces it (tag "old"). The names are hidden, say whose they are, and
// carry the process id so that a later export can tell a stale one from one still being built.
std::string ExportTemporaryName(const std::string& path, long pid, std::string_view tag);
// Removes, in folder, the temporaries of exports whose process is gone; returns how many.
int RemoveStaleExportTemporaries(const std::string& folder);

class ExportDestination {
 public:
  ExportDestination() = default;
  ~ExportDestination() { Abandon(); }
  ExportDestination(const ExportDestination&) = delete;
  ExportDestination& operator=(const ExportDestination&) = delete;

  // Prepares to build path (a folder when folder is true): refuses an existing path unless
  // force, removes the stale temporaries beside it and makes the temporary (an empty folder, or
  // nothing yet for a file). Throws ExportError.
  void Begin(const std::string& path, bool folder, bool force);
  // What to build: the temporary's path.
  const std::string& Temporary() const { return FTemporary; }
  // Moves the temporary into place. An existing destination (only with force) is moved aside,
  // the new one moved in, and the old one removed; if the move in fails, the old one goes back.
  void Commit();
  // Removes the temporary and whatever was built in it.
  void Abandon();

 private:
  std::string FPath;
  std::string FTemporary;
  bool FFolder = false;
  bool FForce = false;
};

// One file of an export, written through a buffer of about a megabyte.
class ExportFile {
 public:
  // How much the file buffers: a large file a megabyte at a time, one of many small files (a web
  // page) in a buffer small enough to be reused from the heap instead of mapped for each file.
  enum class Size { Large, Small };
  // Creates path (it must not exist). Throws ExportError.
  explicit ExportFile(std::string path, Size size = Size::Large);
  ~ExportFile() = default;
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  void Write(std::string_view bytes);
  // Code page 932 text as UTF-8, escaped as asked.
  void WriteCp932(std::string_view cp932, Utf8Escape escape);
  // Writes what is buffered and closes; sync: first make sure it is on the disk (a folder of
  // many files is synced once as a whole instead). Throws ExportError.
  void Close(bool sync = true);

 private:
  void Flush();
  std::string FPath;
  // Room for a converted piece of at least FPiece bytes of text is left past the point where
  // the buffer is written out.
  std::size_t FPiece;
  std::size_t FFlushBytes;
  std::size_t FCapacity;
  FileHandle FFile;
  // Not a std::string: growing one fills it with zeros first, which for the worst-case room of
  // every conversion would cost more than the conversion.
  std::unique_ptr<char[]> FData;
  std::size_t FSize = 0;
  static constexpr std::uint64_t kWritebackBytes = std::uint64_t{8} << 20;
  std::uint64_t FWritten = 0;  // bytes written to the file
  std::uint64_t FStarted = 0;  // bytes whose writing to the disk has been started
};

}  // namespace yuzulog
