// Temporary files that name the process that made them: one beside a file being replaced, and
// the browser view's page files. While the process runs, SIGINT, SIGTERM or SIGHUP removes the
// ones it registered before it ends; after a kill that nothing can catch, the next run that
// writes into the same folder removes those whose process has gone.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace yuzulog {

// Whether process pid has ended: no process of that number exists. A process of another user
// still exists (kill answers EPERM); so may a new process that took over an old number, whose
// files are then left alone.
bool OwnerProcessGone(long pid);

// The digits at the start of text as a process number, and the rest after them; -1 when text
// does not start with a number of 1 to 9 digits followed by separator.
long LeadingPid(std::string_view text, char separator, std::string_view* rest = nullptr);

// Removes the regular files of folder that belong to this user and whose name ownerOf maps to a
// process that has gone (ownerOf gives -1 for a name that is none of these files). Links and
// other users' files are never touched. Returns how many files were removed.
std::size_t RemoveOrphanedFiles(const std::string& folder,
                                const std::function<long(std::string_view name)>& ownerOf);

// Creates a new empty temporary beside target, named ".<target's name>.yuzulog-<pid>-<n>" with
// this process's pid, with mode 0666 less the umask and O_CLOEXEC; the temporaries of earlier
// runs in that folder whose process has gone are removed first. Returns the descriptor (path
// receives the name) or -1 with errno set.
int CreateTemporaryBeside(const std::string& target, std::string& path);
// The pid in the name of a temporary made by CreateTemporaryBeside; -1 for any other name.
long TemporaryOwner(std::string_view fileName);

// Removal of a file when SIGINT, SIGTERM or SIGHUP ends the process: registered while it lives.
// The handlers are installed with the first registration, for each of the signals whose action
// is the default (an ignored signal stays ignored); after the files are removed the signal takes
// its previous action. Up to 64 files at a time, each path below 4,096 bytes; beyond that a file
// is not registered and is left to the next run's removal.
class RemovalOnSignal {
 public:
  RemovalOnSignal() = default;
  explicit RemovalOnSignal(const std::string& path) { Register(path); }
  ~RemovalOnSignal() { Release(); }
  RemovalOnSignal(const RemovalOnSignal&) = delete;
  RemovalOnSignal& operator=(const RemovalOnSignal&) = delete;

  // Registers path (releasing what was registered before); false when no slot was free.
  bool Register(const std::string& path);
  // Forgets the file: it was renamed into place or removed.
  void Release();

 private:
  int FSlot = -1;
};

// Removes every registered file now. Safe inside a signal handler: a handler that the program
// installs over these for SIGINT, SIGTERM or SIGHUP calls it before it ends the process.
void RemoveRegisteredFilesNow();

}  // namespace yuzulog
