#include "logdata/logloader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

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

// The thread that loaders run on: one, started on first use and kept for the rest of the run.
// Starting a thread per file cost 30 us a file on an idle machine and up to a millisecond on a
// busy one, where the new thread queues behind other work; handing a job to a waiting thread
// costs a wake-up. One job at a time; a caller that starts one while another is handed over
// waits for the thread to be free first.
class LoaderThread::Worker {
 public:
  static Worker& Instance() {
    static Worker worker;
    return worker;
  }

  void Start(LoaderThread& job) {
    std::unique_lock<std::mutex> lock(FMutex);
    FChanged.wait(lock, [this] { return FJob == nullptr; });
    job.FState = State::Waiting;
    FJob = &job;
    FChanged.notify_all();
  }

  void Wait(LoaderThread& job) {
    std::unique_lock<std::mutex> lock(FMutex);
    FChanged.wait(lock, [&job] { return job.FState == State::Ended; });
  }

  bool Ended(const LoaderThread& job) {
    const std::lock_guard<std::mutex> lock(FMutex);
    return job.FState == State::Ended;
  }

  // True when the job had not begun: it is then the caller's to run.
  bool TakeBack(LoaderThread& job) {
    const std::lock_guard<std::mutex> lock(FMutex);
    if (job.FState != State::Waiting) return false;
    job.FState = State::Running;
    FJob = nullptr;
    FChanged.notify_all();
    return true;
  }

  void Ended(LoaderThread& job) {
    const std::lock_guard<std::mutex> lock(FMutex);
    job.FState = State::Ended;
    FChanged.notify_all();
  }

  ~Worker() {
    {
      const std::lock_guard<std::mutex> lock(FMutex);
      FQuit = true;
    }
    FChanged.notify_all();
    FThread.join();
  }

 private:
  Worker() : FThread([this] { Loop(); }) {}

  void Loop() {
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
      FChanged.wait(lock, [this] { return FQuit || FJob != nullptr; });
      if (FQuit) return;
      LoaderThread* job = FJob;
      job->FState = State::Running;
      lock.unlock();
      job->FWork();  // touches only what the job was given
      lock.lock();
      job->FState = State::Ended;
      FJob = nullptr;
      FChanged.notify_all();
    }
  }

  std::mutex FMutex;
  // Any change: a job handed over or taken back, a job ended, the thread told to quit.
  std::condition_variable FChanged;
  LoaderThread* FJob = nullptr;  // handed over and not yet ended on the thread
  bool FQuit = false;
  std::thread FThread;  // last: starts once the rest is set up
};

namespace {

// A thread that faults in the pages of a fresh buffer ahead of the thread that writes it. The
// kernel's zeroing of fresh pages (MAP_POPULATE) took about a tenth of the loader thread's time
// for an archive, and there is a second core: the caller only parses between loads. Started on
// first use, it serves one buffer at a time; a writer that finds it busy faults its own pages.
class PageFaulter {
 public:
  static PageFaulter& Instance() {
    static PageFaulter faulter;
    return faulter;
  }

  // Faults in size bytes of a fresh mapping at begin, from its start, until End; false when
  // another buffer has the thread.
  bool Begin(char* begin, std::size_t size) {
    const std::lock_guard<std::mutex> lock(FMutex);
    if (FBusy) return false;
    FBusy = true;
    FStop.store(false, std::memory_order_relaxed);
    FPages = {begin, size};
    FChanged.notify_all();
    return true;
  }
  // Stops, or cancels before it started, before the mapping may go.
  void End() {
    FStop.store(true, std::memory_order_relaxed);
    std::unique_lock<std::mutex> lock(FMutex);
    FPages = {};
    FChanged.wait(lock, [this] { return !FFaulting; });
    FBusy = false;
  }

  ~PageFaulter() {
    {
      const std::lock_guard<std::mutex> lock(FMutex);
      FQuit = true;
    }
    FChanged.notify_all();
    FThread.join();
  }

 private:
  struct Pages {
    char* Begin = nullptr;
    std::size_t Size = 0;
  };

  PageFaulter() : FThread([this] { Loop(); }) {}

  void Loop() {
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
      FChanged.wait(lock, [this] { return FQuit || FPages.Size != 0; });
      if (FQuit) return;
      const Pages pages = FPages;
      FPages = {};
      FFaulting = true;
      lock.unlock();
      FaultIn(pages);
      lock.lock();
      FFaulting = false;
      FChanged.notify_all();
    }
  }

  // A megabyte at a time, so that a stop comes soon. Where the kernel cannot populate a range
  // (before Linux 5.14), the writer faults its pages in itself as it writes.
  void FaultIn(const Pages& pages) {
    constexpr std::size_t kStep = 1 << 20;
    for (std::size_t at = 0; at < pages.Size && !FStop.load(std::memory_order_relaxed);
         at += kStep) {
      if (madvise(pages.Begin + at, std::min(kStep, pages.Size - at), kPopulateWrite) != 0) break;
    }
  }

#ifdef MADV_POPULATE_WRITE
  static constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
  static constexpr int kPopulateWrite = 23;  // Linux 5.14's value; older kernels refuse it
#endif

  std::mutex FMutex;
  std::condition_variable FChanged;  // a buffer handed over, its faulting ended, quit
  Pages FPages;                      // handed over, not yet taken
  bool FBusy = false;                // between Begin and End
  bool FFaulting = false;
  std::atomic<bool> FStop{false};
  bool FQuit = false;
  std::thread FThread;  // last: starts once the rest is set up
};

// While it lives, the page thread faults in the pages of a buffer being written; it ends that
// before the buffer may go, so it must be made after the buffer.
class FaultedAhead {
 public:
  FaultedAhead() = default;
  ~FaultedAhead() {
    if (FFaulting) PageFaulter::Instance().End();
  }
  FaultedAhead(const FaultedAhead&) = delete;
  FaultedAhead& operator=(const FaultedAhead&) = delete;

  // A buffer of size bytes for a log's text, as AllocatePrefaulted gives one; a large one is
  // mapped without its pages, which the page thread faults in while the caller writes.
  ByteBlock Allocate(std::size_t size) {
    constexpr std::size_t kHandOver = 1 << 20;  // below, the hand-over costs more than it saves
    if (size >= kHandOver && !FFaulting) {
      void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (p != MAP_FAILED) {
        ByteBlock block(static_cast<char*>(p), BlockDeleter{size});
        FFaulting = PageFaulter::Instance().Begin(block.get(), size);
        if (FFaulting) return block;
      }
    }
    return AllocatePrefaulted(size);
  }

 private:
  bool FFaulting = false;
};

}  // namespace

void LoaderThread::Start(std::function<void()> work) {
  Worker& worker = Worker::Instance();  // throws std::system_error when it cannot start
  FWork = std::move(work);
  FStarted = true;
  worker.Start(*this);
}

void LoaderThread::Wait() {
  if (!FStarted) return;
  Worker::Instance().Wait(*this);
  FStarted = false;
}

int LoaderThread::StartError() {
  try {
    Worker::Instance();
    return 0;
  } catch (const std::system_error& e) {
    return e.code().value() != 0 ? e.code().value() : EAGAIN;
  }
}

bool LoaderThread::Ended() const {
  return !FStarted || Worker::Instance().Ended(*this);
}

void LoaderThread::Finish() {
  if (!FStarted) return;
  Worker& worker = Worker::Instance();
  if (worker.TakeBack(*this)) {
    FWork();
    worker.Ended(*this);
  } else {
    worker.Wait(*this);
  }
  FStarted = false;
}

void LoaderThread::Drop() {
  if (!FStarted) return;
  Worker& worker = Worker::Instance();
  if (worker.TakeBack(*this))
    worker.Ended(*this);
  else
    worker.Wait(*this);
  FStarted = false;
}

LoaderThread::~LoaderThread() {
  Wait();
}

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
  NulBytes = 0;
  Outcome = LoadOutcome::Loaded;
  SystemError = 0;
  try {
    if (ExtensionIs(FileExtension(FileName), ".LOG"))
      ReadLogFile();
    else
      ExtractFromArchive();
    // Here rather than in the parse: the loader thread does it while the caller parses the
    // previous file, and the bytes have just passed through the cache.
    if (Buffer) NulBytes = ReplaceNulBytes(Buffer.get(), BufferSize - 1);
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
  if (!TUnlha32::Available()) return Fail(LoadOutcome::NotLhaArchive);
  // The archive's length also tells below whether the size a member claims is believable.
  struct stat st {};
  if (stat(FileName.c_str(), &st) != 0) return Fail(LoadOutcome::CannotRead, errno);
  // A folder, a device or a pipe is no archive; reading a pipe could wait forever.
  if (!S_ISREG(st.st_mode)) return Fail(LoadOutcome::NotRegularFile);
  if (st.st_size <= 0) return Fail(LoadOutcome::EmptyFile);

  TUnlha32 unlha;
  TUnlha32::Member chosen;
  bool found = false;
  if (unlha.OpenArchive(FileName)) {
    TUnlha32::Member member;
    if (unlha.FindFirst(member)) {
      chosen = member;
      found = true;
      // The largest member; a later one replaces it only when strictly larger. A damaged header
      // ends the walk; the members found before it still count.
      while (unlha.FindNext(member))
        if (member.Size > chosen.Size) chosen = member;
    }
    unlha.CloseArchive();
  }
  if (!found) {
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

LoadResult TLogData::LoadFromFile(const std::string& fileName) {
  FileName = fileName;
  TLogLoader loader(fileName);
  loader.RunAndWait();
  return TakeOver(loader);
}

LoadResult TLogData::LoadFromFileHere(const std::string& fileName) {
  FileName = fileName;
  TLogLoader loader(fileName);
  loader.Execute();
  return TakeOver(loader);
}

LoadResult TLogData::TakeOver(TLogLoader& loader) {
  SetBuffer(std::move(loader.Buffer), loader.BufferSize);
  NulBytes = Buffer() ? loader.NulBytes : 0;
  if (!Buffer() || BufferSize() == 0)
    return MakeLoadResult(
        loader.Outcome == LoadOutcome::Loaded ? LoadOutcome::OutOfMemory : loader.Outcome,
        loader.SystemError);
  try {
    Parse();
  } catch (const std::bad_alloc&) {
    // The records of a huge log may not fit beside its text: this file fails, the others load.
    FItems = {};
    SetBufferSize(0);
    NulBytes = 0;
    return MakeLoadResult(LoadOutcome::OutOfMemory);
  }
  SetRoomAndFirstNumber();
  if (Count() == 0) {
    SetBufferSize(0);
    NulBytes = 0;
    return MakeLoadResult(LoadOutcome::NoMessage);
  }
  return {};
}

LoadResult MakeLoadResult(LoadOutcome outcome, int systemError) {
  LoadResult result{outcome, {}};
  switch (outcome) {
    case LoadOutcome::Loaded:
      break;
    case LoadOutcome::CannotRead:
      result.Reason = "ファイルを読み込めません";
      if (systemError != 0) result.Reason += std::string("：") + std::strerror(systemError);
      break;
    case LoadOutcome::NotRegularFile:
      result.Reason = "通常のファイルではありません";
      break;
    case LoadOutcome::EmptyFile:
      result.Reason = "ファイルが空です";
      break;
    case LoadOutcome::NotLhaArchive:
      result.Reason = "LHA 書庫ではありません";
      break;
    case LoadOutcome::BadArchiveHeader:
      result.Reason = "書庫のヘッダが壊れています";
      break;
    case LoadOutcome::ArchiveTruncated:
      result.Reason = "書庫が途中で切れています";
      break;
    case LoadOutcome::ArchiveSizeMismatch:
      result.Reason = "書庫の中のファイルのサイズがヘッダと合いません";
      break;
    case LoadOutcome::ArchiveCrcMismatch:
      result.Reason = "書庫の中のファイルの CRC が合いません";
      break;
    case LoadOutcome::BadArchiveData:
      result.Reason = "書庫の圧縮データが壊れています";
      break;
    case LoadOutcome::UnsupportedMethod:
      result.Reason = "対応していない圧縮方式です";
      break;
    case LoadOutcome::NotLogMember:
      result.Reason = "書庫の中の最大のファイルが .LOG でも .TXT でもありません";
      break;
    case LoadOutcome::NoMessage:
      result.Reason = "発言が見つかりません";
      break;
    case LoadOutcome::OutOfMemory:
      result.Reason = "メモリが足りません";
      break;
    case LoadOutcome::NoLoaderThread:
      result.Reason = "ファイルを読み込むスレッドを開始できません";
      if (systemError != 0) result.Reason += std::string("：") + std::strerror(systemError);
      break;
  }
  return result;
}

}  // namespace yuzulog
