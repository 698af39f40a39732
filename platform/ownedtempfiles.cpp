#include "platform/ownedtempfiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>

namespace yuzulog {

bool OwnerProcessGone(long pid) {
  if (pid <= 0 || pid == static_cast<long>(::getpid())) return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

long LeadingPid(std::string_view text, char separator, std::string_view* rest) {
  std::size_t digits = 0;
  long pid = 0;
  while (digits < text.size() && digits < 10 && text[digits] >= '0' && text[digits] <= '9')
    pid = pid * 10 + (text[digits++] - '0');
  if (digits == 0 || digits > 9 || digits == text.size() || text[digits] != separator) return -1;
  if (rest) *rest = text.substr(digits + 1);
  return pid;
}

std::size_t RemoveOrphanedFiles(const std::string& folder,
                                const std::function<long(std::string_view name)>& ownerOf) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  const uid_t me = ::geteuid();
  std::size_t removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const long pid = ownerOf(entry->d_name);
    if (pid < 0 || !OwnerProcessGone(pid)) continue;
    struct stat st {};
    if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || st.st_uid != me)
      continue;
    if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

namespace {

constexpr std::string_view kTemporaryMark = ".yuzulog-";

}  // namespace

long TemporaryOwner(std::string_view fileName) {
  if (fileName.empty() || fileName[0] != '.') return -1;
  const std::size_t mark = fileName.rfind(kTemporaryMark);
  if (mark == std::string_view::npos || mark == 0) return -1;
  std::string_view rest;
  const long pid = LeadingPid(fileName.substr(mark + kTemporaryMark.size()), '-', &rest);
  if (pid < 0 || rest.empty() || rest.find_first_not_of("0123456789") != std::string_view::npos)
    return -1;
  return pid;
}

int CreateTemporaryBeside(const std::string& target, std::string& path) {
  const std::filesystem::path targetPath(target);
  const std::filesystem::path folder = targetPath.parent_path();
  RemoveOrphanedFiles(folder.empty() ? "." : folder.string(), TemporaryOwner);
  static std::mt19937 rng{std::random_device{}()};
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    std::filesystem::path sibling = targetPath;
    sibling.replace_filename("." + targetPath.filename().string() + std::string(kTemporaryMark) +
                             std::to_string(::getpid()) + "-" + std::to_string(rng() % 1000000));
    path = sibling.string();
    // 0666 less the umask, as a new file made by open gets.
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) path.clear();
  return fd;
}

// ---- removal on signals ---------------------------------------------------------------------

namespace {

// Slots in static storage: a signal handler may read them at any moment, so nothing is
// allocated or freed. A slot is Armed only while its path is complete.
enum SlotState : int { kFree, kFilling, kArmed };
constexpr int kSlots = 64;
constexpr std::size_t kMaxPath = 4096;

struct Slot {
  std::atomic<int> State{kFree};
  char Path[kMaxPath];
};
Slot gSlots[kSlots];

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[std::size(kEndingSignals)];

extern "C" void RemoveAndEnd(int signal) {
  const int savedErrno = errno;
  RemoveRegisteredFilesNow();
  // The signal is blocked while this runs: raised again under its previous action, it takes
  // effect as this handler returns.
  for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
    if (kEndingSignals[i] == signal) ::sigaction(signal, &gPrevious[i], nullptr);
  ::raise(signal);
  errno = savedErrno;
}

void InstallHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
      struct sigaction current {};
      if (::sigaction(kEndingSignals[i], nullptr, &current) != 0) continue;
      // An ignored signal (a job started with nohup) stays ignored; a handler the program
      // installed calls RemoveRegisteredFilesNow itself.
      if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
      gPrevious[i] = current;
      struct sigaction action {};
      action.sa_handler = RemoveAndEnd;
      sigemptyset(&action.sa_mask);
      ::sigaction(kEndingSignals[i], &action, nullptr);
    }
  });
}

}  // namespace

void RemoveRegisteredFilesNow() {
  for (Slot& slot : gSlots)
    if (slot.State.load(std::memory_order_acquire) == kArmed) ::unlink(slot.Path);
}

bool RemovalOnSignal::Register(const std::string& path) {
  Release();
  if (path.size() >= kMaxPath) return false;
  InstallHandlers();
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!gSlots[i].State.compare_exchange_strong(expected, kFilling, std::memory_order_acquire))
      continue;
    std::memcpy(gSlots[i].Path, path.c_str(), path.size() + 1);
    gSlots[i].State.store(kArmed, std::memory_order_release);
    FSlot = i;
    return true;
  }
  return false;
}

void RemovalOnSignal::Release() {
  if (FSlot < 0) return;
  gSlots[FSlot].State.store(kFree, std::memory_order_release);
  FSlot = -1;
}

}  // namespace yuzulog
