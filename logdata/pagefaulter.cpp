#include "logdata/pagefaulter.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace yuzulog {

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

}  // namespace

FaultedAhead::~FaultedAhead() {
  if (FFaulting) PageFaulter::Instance().End();
}

ByteBlock FaultedAhead::Allocate(std::size_t size) {
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

}  // namespace yuzulog
