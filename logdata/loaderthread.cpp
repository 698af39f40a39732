#include "logdata/loaderthread.h"

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace yuzulog {

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

}  // namespace yuzulog
