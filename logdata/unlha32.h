// The LHA archive layer: lists an archive's members and extracts one of them into the caller's
// buffer. Our own reader (lhareader.h) takes the archives it handles, and fails those whose
// headers it finds damaged; everything else goes to libarchive, whose header stays private to
// unlha32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace yuzulog {

class TUnlha32 {
 public:
  // One member as the walk finds it: its name as stored in the archive (bytes, normally
  // code page 932) and its uncompressed size.
  struct Member {
    std::string Name;
    std::uint64_t Size = 0;
    int Index = 0;  // position in the archive, from 0
  };

  // Why an archive could not be walked or a member not extracted, as distinctly as the reader
  // that took it can tell.
  enum class Status {
    Ok,
    CannotOpen,         // the file could not be opened (SystemError tells why)
    NotRegularFile,     // a folder, a device or a pipe: not read, and not waited for
    NotArchive,         // the bytes are no LHA archive
    NoMember,           // the archive has no member at that index
    BadHeader,          // a member's header is damaged
    UnsupportedMethod,  // a compression method neither reader decodes
    Truncated,          // the archive ends inside the member's data
    SizeMismatch,       // the data gives another number of bytes than the header declares
    CrcMismatch,        // the bytes came out, but their CRC is not the header's
    BadData,            // the compressed data cannot be decoded
    ReadError,          // reading the file failed (SystemError tells why, when it is known)
    OutOfMemory,        // the reader could not be given the memory it needs
  };

  TUnlha32();
  ~TUnlha32();
  TUnlha32(const TUnlha32&) = delete;
  TUnlha32& operator=(const TUnlha32&) = delete;

  // Which reader takes an archive: ours wherever it handles the archive and libarchive for the
  // rest, or libarchive alone (what tests and the fuzz target compare ours with).
  enum class Reader { Auto, LibarchiveOnly };

  // Opens an archive for the member walk; false when it cannot be read as an LHA archive.
  bool OpenArchive(const std::string& path, Reader reader = Reader::Auto);
  // Fills member with the first, then the next member; false when there is none (or the
  // archive turned out to be corrupt).
  bool FindFirst(Member& member);
  bool FindNext(Member& member);
  // Ends the walk; safe to call when nothing is open.
  void CloseArchive();
  // Why OpenArchive failed or the walk ended: Ok when it reached the archive's end.
  Status WalkStatus() const { return FWalkStatus; }
  // The errno behind CannotOpen or ReadError; 0 when none is known.
  int SystemError() const { return FSystemError; }

  // The member a log is read from: opens the archive at path, walks it and closes it again. The
  // largest member wins; a later one replaces it only when strictly larger. A damaged header ends
  // the walk, and the members found before it still count. False when the walk found no member
  // (WalkStatus and SystemError then tell why).
  bool FindLargestMember(const std::string& path, Member& chosen);

  // Extracts the member at memberIndex of the archive at path into buffer. Exactly memberSize
  // bytes must come out, and they must fit into bufferSize; anything else (a truncated or corrupt
  // archive) fails. systemError, when given, receives the errno behind CannotOpen or ReadError.
  static Status ExtractMem(const std::string& path, int memberIndex, std::uint64_t memberSize,
                           char* buffer, std::size_t bufferSize, Reader reader = Reader::Auto,
                           int* systemError = nullptr);

 private:
  struct Handle;
  std::unique_ptr<Handle> FHandle;
  int FNextIndex = 0;
  Status FWalkStatus = Status::Ok;
  int FSystemError = 0;
};

}  // namespace yuzulog
