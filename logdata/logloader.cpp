#include "logdata/logloader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <new>
#include <system_error>

#include "logdata/pagefaulter.h"
#include "logdata/unlha32.h"
#include "platform/fileio.h"
#include "platform/paths.h"

namespace yuzulog {

namespace {

// Room logs shrink to a third or a quarter in an archive; a member that claims more than this
// many times its archive's size is taken as suspect until its bytes arrive.
constexpr std::uint64_t kMaxBelievableRatio = 32;

// A member that claims more than this many times its archive's size is no text at all: its
// header is taken as damaged before any memory is given to it. An archive of 1.7 kB can
// otherwise declare 4 GB (blocks of one symbol decode to 16 MB each from a few bytes), and the
// load would take the 4 GB first. Measured with jLHA on the 1,062 logs of the benchmark library
// (1.2 GB) and the test logs, at every method: no log packs tighter than 3.5 : 1 (-lh7-); a file
// of one log 40 times over (tests/data's REPEAT.TXT) packs to 44 : 1. 1024 leaves a margin of
// more than twenty over that and of nearly three hundred over any log.
constexpr std::uint64_t kMaxTextRatio = 1024;

}  // namespace

void TLogLoader::RunAndWait() {
  LoaderThread thread;
  try {
    thread.Start([this] { Execute(); });
  } catch (const std::system_error& e) {
    // No thread (memory or the thread limit ran out): this file fails, and the next load tries
    // to start the thread again.
    return Fail(LoadOutcome::NoLoaderThread, e.code().value());
  }
  thread.Wait();
}

void TLogLoader::Execute() {
  Buffer.reset();
  BufferSize = 0;
  Outcome = LoadOutcome::Loaded;
  SystemError = 0;
  try {
    if (ExtensionIs(FileExtension(FileName), ".LOG"))
      ReadLogFile();
    else
      ExtractFromArchive();
  } catch (const std::bad_alloc&) {
    // Nothing may leave the loader thread: the file fails instead.
    Buffer.reset();
    BufferSize = 0;
    Fail(LoadOutcome::OutOfMemory);
  }
}

void TLogLoader::Fail(LoadOutcome outcome, int systemError) {
  Outcome = outcome;
  SystemError = systemError;
}

void TLogLoader::ReadLogFile() {
  // O_NONBLOCK: opening a pipe for reading would wait for a writer. A regular file reads the
  // same with it.
  const FileHandle file(open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.Get() < 0) return Fail(LoadOutcome::CannotRead, errno);
  // Only a regular file has a length to read; a folder or a device named like a log fails.
  struct stat st {};
  if (fstat(file.Get(), &st) != 0) return Fail(LoadOutcome::CannotRead, errno);
  if (!S_ISREG(st.st_mode)) return Fail(LoadOutcome::NotRegularFile);
  if (st.st_size <= 0) return Fail(LoadOutcome::EmptyFile);
  if (static_cast<unsigned long long>(st.st_size) >= std::numeric_limits<std::size_t>::max())
    return Fail(LoadOutcome::OutOfMemory);
  if (AfterSizeQuery) AfterSizeQuery();
  // The whole file in one allocation of exactly its length + 1; the extra zero byte ends the
  // text. A length that cannot be allocated fails this file, and so does a short read: a file cut
  // short since its length was taken. Bytes added since then are not read.
  const std::size_t bufferSize = static_cast<std::size_t>(st.st_size) + 1;
  ByteBlock block = AllocatePrefaulted(bufferSize);
  if (!block) return Fail(LoadOutcome::OutOfMemory);
  if (const int error = ReadFully(file.Get(), block.get(), bufferSize - 1))
    return Fail(LoadOutcome::CannotRead, error);
  Buffer = std::move(block);
  BufferSize = bufferSize;
}

namespace {

// What an archive layer's status means for the load.
LoadOutcome OutcomeOf(TUnlha32::Status status) {
  switch (status) {
    case TUnlha32::Status::Ok:
      return LoadOutcome::Loaded;
    case TUnlha32::Status::CannotOpen:
    case TUnlha32::Status::ReadError:
      return LoadOutcome::CannotRead;
    case TUnlha32::Status::NotRegularFile:
      return LoadOutcome::NotRegularFile;
    case TUnlha32::Status::NotArchive:
    case TUnlha32::Status::NoMember:
      return LoadOutcome::NotLhaArchive;
    case TUnlha32::Status::BadHeader:
      return LoadOutcome::BadArchiveHeader;
    case TUnlha32::Status::UnsupportedMethod:
      return LoadOutcome::UnsupportedMethod;
    case TUnlha32::Status::Truncated:
      return LoadOutcome::ArchiveTruncated;
    case TUnlha32::Status::SizeMismatch:
      return LoadOutcome::ArchiveSizeMismatch;
    case TUnlha32::Status::CrcMismatch:
      return LoadOutcome::ArchiveCrcMismatch;
    case TUnlha32::Status::BadData:
      return LoadOutcome::BadArchiveData;
    case TUnlha32::Status::OutOfMemory:
      return LoadOutcome::OutOfMemory;
  }
  return LoadOutcome::BadArchiveData;
}

}  // namespace

void TLogLoader::ExtractFromArchive() {
  // The archive's length also tells below whether the size a member claims is believable.
  struct stat st {};
  if (stat(FileName.c_str(), &st) != 0) return Fail(LoadOutcome::CannotRead, errno);
  // A folder, a device or a pipe is no archive; reading a pipe could wait forever.
  if (!S_ISREG(st.st_mode)) return Fail(LoadOutcome::NotRegularFile);
  if (st.st_size <= 0) return Fail(LoadOutcome::EmptyFile);

  TUnlha32 unlha;
  TUnlha32::Member chosen;
  if (!unlha.FindLargestMember(FileName, chosen)) {
    // A walk that ended well without a member met no archive either.
    const TUnlha32::Status status = unlha.WalkStatus();
    return Fail(status == TUnlha32::Status::Ok ? LoadOutcome::NotLhaArchive : OutcomeOf(status),
                unlha.SystemError());
  }
  const std::string ext = FileExtension(chosen.Name);
  if (!ExtensionIs(ext, ".TXT") && !ExtensionIs(ext, ".LOG"))
    return Fail(LoadOutcome::NotLogMember);
  if (chosen.Size >= std::numeric_limits<std::size_t>::max()) return Fail(LoadOutcome::OutOfMemory);
  if (chosen.Size / kMaxTextRatio > static_cast<std::uint64_t>(st.st_size))
    return Fail(LoadOutcome::BadArchiveHeader);
  const std::size_t bufferSize = static_cast<std::size_t>(chosen.Size) + 1;
  // A declared size that cannot be allocated fails this file instead of exhausting memory. The
  // size is only what the archive claims, so the block is prefaulted only when the claim is
  // believable for compressed text; otherwise it stays lazy, and a corrupt header that claims
  // gigabytes costs no memory beyond what the failing extraction writes.
  const bool believable =
      chosen.Size / kMaxBelievableRatio <= static_cast<std::uint64_t>(st.st_size);
  ByteBlock block;
  FaultedAhead faulted;  // after block: ends before block may go
  block = believable ? faulted.Allocate(bufferSize) : AllocateZeroed(bufferSize);
  if (!block) return Fail(LoadOutcome::OutOfMemory);
  int systemError = 0;
  const TUnlha32::Status status =
      TUnlha32::ExtractMem(FullPath(FileName), chosen.Index, chosen.Size, block.get(),
                           bufferSize - 1, TUnlha32::Reader::Auto, &systemError);
  if (status != TUnlha32::Status::Ok) return Fail(OutcomeOf(status), systemError);
  Buffer = std::move(block);
  BufferSize = bufferSize;
}

}  // namespace yuzulog
