// One loaded log file: owns its text buffer and the message records that point into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "logdata/logmessage.h"

namespace yuzulog {

class TLogLoader;

// An owned, zero-filled byte block. Small blocks come from calloc; a block about to be filled
// whole (a file's text) may be a private anonymous mapping instead, unmapped on release.
struct BlockDeleter {
  std::size_t MappedBytes = 0;  // 0: the block came from malloc or calloc
  void operator()(char* p) const;
};
using ByteBlock = std::unique_ptr<char, BlockDeleter>;
// Allocates size zero bytes; an empty block when the size cannot be allocated.
ByteBlock AllocateZeroed(std::size_t size);
// The same, with every page of a large block mapped in at once: a block that is filled right
// away would otherwise take one page fault per 4 kB, which costs about as much as reading the
// file.
ByteBlock AllocatePrefaulted(std::size_t size);

// How loading one file ended.
enum class LoadOutcome {
  Loaded,
  CannotRead,           // the file could not be opened or read
  NotRegularFile,       // a folder, a device or a pipe
  EmptyFile,            // no bytes at all
  NotLhaArchive,        // not a .LOG file, and no LHA archive either
  BadArchiveHeader,     // a member header of the archive is damaged
  ArchiveTruncated,     // the archive ends inside the log's data
  ArchiveSizeMismatch,  // the log's data gives another size than its header declares
  ArchiveCrcMismatch,   // the log came out with another CRC than its header's
  BadArchiveData,       // the log's compressed data cannot be decoded
  UnsupportedMethod,    // the log is compressed with a method no reader here decodes
  NotLogMember,         // the largest member of the archive is no .LOG or .TXT file
  NoMessage,            // the text holds no message header
  OutOfMemory,          // the text does not fit into memory
  NoLoaderThread,       // the thread that reads files cannot be started
};

// The end of a load: the outcome and, for a failure, why in the program's language (UTF-8).
struct LoadResult {
  LoadOutcome Outcome = LoadOutcome::Loaded;
  std::string Reason;
  // True when the file loaded.
  explicit operator bool() const { return Outcome == LoadOutcome::Loaded; }
};
// The result of an outcome; systemError is the errno behind CannotRead or NoLoaderThread (0 when
// none is known).
LoadResult MakeLoadResult(LoadOutcome outcome, int systemError = 0);

// Turns every NUL byte among the size bytes at text into '?' and returns how many there were. A
// NUL would end the text it stands in (the parser and every field take it for the end), so a log
// with one is read with '?' in its place: every message after it loads, and every offset stays
// the file's.
std::size_t ReplaceNulBytes(char* text, std::size_t size);
// The notice that count NUL bytes of the file at path were read as '?' (UTF-8).
std::string NulBytesReadText(const std::string& path, std::size_t count);

class TLogData {
 public:
  TLogData() = default;
  TLogData(const TLogData&) = delete;
  TLogData& operator=(const TLogData&) = delete;

  // Cuts Buffer into messages; returns Count. Overwrites the line end before each accepted
  // header with NUL bytes, so each message's text is a NUL-terminated string. A NUL byte of the
  // text itself is read as '?' first (NulBytes counts them).
  int Parse();
  // The same cut, one byte and one header test at a time: the reference that Parse must match
  // record for record and byte for byte (tests and bench/ compare the two).
  int ParsePlain();

  // Frees the current buffer and takes over data, whose last byte must be NUL (size >= 1).
  void SetBuffer(ByteBlock data, std::size_t size);
  // Frees the current buffer; allocates size zero bytes when size > 0.
  void SetBufferSize(std::size_t size);

  // Reads the file (a .LOG extension directly, anything else from an archive) on a loader thread,
  // parses it and sets Room and FirstNumber. A failure leaves no buffer and no messages.
  LoadResult LoadFromFile(const std::string& fileName);
  // The same with the reading done on the calling thread: for the load loop, which loads one
  // file on the loader thread while it loads the next itself.
  LoadResult LoadFromFileHere(const std::string& fileName);
  // Room = the Room of the first message above room 0 (0 when there is none), FirstNumber = the
  // Number of the first message (0 without messages).
  void SetRoomAndFirstNumber();

  int Count() const { return static_cast<int>(FItems.size()); }
  TLogMessage& Items(int i) { return FItems[static_cast<std::size_t>(i)]; }
  const TLogMessage& Items(int i) const { return FItems[static_cast<std::size_t>(i)]; }
  std::vector<TLogMessage>& Messages() { return FItems; }
  const std::vector<TLogMessage>& Messages() const { return FItems; }

  const char* Buffer() const { return FBuffer.get(); }
  std::size_t BufferSize() const { return FBufferSize; }

  std::string FileName;  // the path as it was selected
  std::int32_t Room = 0;
  std::int32_t FirstNumber = 0;
  std::int32_t Overlap = 0;
  // How many NUL bytes of the text the last parse read as '?'.
  std::size_t NulBytes = 0;

 private:
  template <bool Fast>
  int ParseWith();
  // Puts back the line ends before the messages that a walk overwrote with NULs.
  void RestoreLineEnds(char* buffer);
  // Takes over what a loader read, parses it and sets Room and FirstNumber.
  LoadResult TakeOver(TLogLoader& loader);

  // Records never move once parsing has filled the vector: tree nodes, result rows and the
  // history hold plain pointers to them.
  std::vector<TLogMessage> FItems;
  ByteBlock FBuffer;
  std::size_t FBufferSize = 0;
};

}  // namespace yuzulog
