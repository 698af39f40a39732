#include "logdata/logloader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <mutex>
#include <thread>

#include "logdata/unlha32.h"
#include "platform/fileio.h"
#include "platform/paths.h"

namespace yuzulog {

namespace {

// Room logs shrink to a third or a quarter in an archive; a member that claims more than this
// many times its archive's size is taken as suspect until its bytes arrive.
constexpr std::uint64_t kMaxBelievableRatio = 32;

// The thread that loaders run on: one, started on first use and kept for the rest of the run.
// Starting a thread per file cost 30 us a file on an idle machine and up to a millisecond on a
// busy one, where the new thread queues behind other work; handing a job to a waiting thread
// costs a wake-up. One job runs at a time, and its caller waits for it, as with a thread of its
// own.
class LoaderWorker {
 public:
  static LoaderWorker& Instance() {
    static LoaderWorker worker;
    return worker;
  }

  void Run(TLogLoader& loader) {
    const std::lock_guard<std::mutex> oneAtATime(FSubmit);
    std::unique_lock<std::mutex> lock(FMutex);
    FJob = &loader;
    FWake.notify_one();
    FDone.wait(lock, [this] { return FJob == nullptr; });
  }

  ~LoaderWorker() {
    {
      const std::lock_guard<std::mutex> lock(FMutex);
      FQuit = true;
    }
    FWake.notify_one();
    FThread.join();
  }

 private:
  LoaderWorker() : FThread([this] { Loop(); }) {}

  void Loop() {
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
      FWake.wait(lock, [this] { return FQuit || FJob != nullptr; });
      if (FQuit) return;
      lock.unlock();
      FJob->Execute();  // touches only the loader's own fields
      lock.lock();
      FJob = nullptr;
      FDone.notify_one();
    }
  }

  std::mutex FSubmit;
  std::mutex FMutex;
  std::condition_variable FWake;
  std::condition_variable FDone;
  TLogLoader* FJob = nullptr;
  bool FQuit = false;
  std::thread FThread;  // last: starts once the rest is set up
};

}  // namespace

void TLogLoader::RunAndWait() {
  LoaderWorker::Instance().Run(*this);
}

void TLogLoader::Execute() {
  Buffer.reset();
  BufferSize = 0;
  if (ExtensionIs(FileExtension(FileName), ".LOG"))
    ReadLogFile();
  else
    ExtractFromArchive();
}

void TLogLoader::ReadLogFile() {
  const int fd = open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  // Only a regular file has a length to read; a folder or a device named like a log fails.
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
      static_cast<unsigned long long>(st.st_size) < std::numeric_limits<std::size_t>::max()) {
    // The whole file in one allocation of exactly its length + 1; the extra zero byte ends the
    // text. A length that cannot be allocated fails this file, and so does a short read.
    const std::size_t bufferSize = static_cast<std::size_t>(st.st_size) + 1;
    ByteBlock block = AllocatePrefaulted(bufferSize);
    if (block && ReadFully(fd, block.get(), bufferSize - 1) == 0) {
      Buffer = std::move(block);
      BufferSize = bufferSize;
    }
  }
  close(fd);
}

void TLogLoader::ExtractFromArchive() {
  if (!TUnlha32::Available()) return;
  TUnlha32 unlha;
  TUnlha32::Member chosen;
  bool found = false;
  if (unlha.OpenArchive(FileName)) {
    TUnlha32::Member member;
    if (unlha.FindFirst(member)) {
      chosen = member;
      found = true;
      // The largest member; a later one replaces it only when strictly larger.
      while (unlha.FindNext(member))
        if (member.Size > chosen.Size) chosen = member;
    }
    unlha.CloseArchive();
  }
  if (!found) return;
  const std::string ext = FileExtension(chosen.Name);
  if (!ExtensionIs(ext, ".TXT") && !ExtensionIs(ext, ".LOG")) return;
  if (chosen.Size >= std::numeric_limits<std::size_t>::max()) return;
  const std::size_t bufferSize = static_cast<std::size_t>(chosen.Size) + 1;
  // A declared size that cannot be allocated fails this file instead of exhausting memory. The
  // size is only what the archive claims, so the block is prefaulted only when the claim is
  // believable for compressed text; otherwise it stays lazy, and a corrupt header that claims
  // gigabytes costs no memory beyond what the failing extraction writes.
  struct stat st {};
  const bool believable =
      stat(FileName.c_str(), &st) == 0 && st.st_size > 0 &&
      chosen.Size / kMaxBelievableRatio <= static_cast<std::uint64_t>(st.st_size);
  ByteBlock block = believable ? AllocatePrefaulted(bufferSize) : AllocateZeroed(bufferSize);
  if (!block) return;
  if (TUnlha32::ExtractMem(FullPath(FileName), chosen.Index, chosen.Size, block.get(),
                           bufferSize - 1) != TUnlha32::Status::Ok)
    return;
  Buffer = std::move(block);
  BufferSize = bufferSize;
}

void TLogData::SetRoomAndFirstNumber() {
  Room = 0;
  FirstNumber = 0;
  if (Count() == 0) return;
  for (const TLogMessage& m : Messages()) {
    if (m.Room > 0) {
      Room = m.Room;
      break;
    }
  }
  FirstNumber = Items(0).Number;
}

bool TLogData::LoadFromFile(const std::string& fileName) {
  FileName = fileName;
  {
    TLogLoader loader(fileName);
    loader.RunAndWait();
    SetBuffer(std::move(loader.Buffer), loader.BufferSize);
  }
  if (!Buffer() || BufferSize() == 0) return false;
  Parse();
  SetRoomAndFirstNumber();
  if (Count() == 0) {
    SetBufferSize(0);
    return false;
  }
  return true;
}

}  // namespace yuzulog
