#include "platform/temppagefiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/fileio.h"
#include "platform/ownedtempfiles.h"

namespace yuzulog {
namespace {

// The prefix that marks the program's page files, and the extension by which the browser takes
// them for HTML. Between them the pid of the process that made the file, a '-' and six
// characters that make the name unique.
constexpr std::string_view kPrefix = "$qmv";
constexpr std::string_view kExtension = ".htm";
constexpr std::size_t kUniqueLength = 6;

[[noreturn]] void Fail(const std::string& path, int error) {
  throw TempPageError(path + ": " + std::strerror(error));
}

}  // namespace

std::string SystemTempFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir && *dir ? std::string(dir) : std::string("/tmp");
}

long PageFileOwner(std::string_view fileName) {
  if (fileName.substr(0, kPrefix.size()) != kPrefix) return -1;
  std::string_view rest;
  const long pid = LeadingPid(fileName.substr(kPrefix.size()), '-', &rest);
  if (pid < 0 || rest.size() != kUniqueLength + kExtension.size() ||
      rest.substr(kUniqueLength) != kExtension)
    return -1;
  return pid;
}

TempPageFiles::TempPageFiles(std::string folder) : FFolder(std::move(folder)) {
  while (FFolder.size() > 1 && FFolder.back() == '/')
    FFolder.pop_back();
  // The pages of runs that a kill ended (message text, if only their owner's to read).
  RemoveOrphanedFiles(FFolder, PageFileOwner);
}

TempPageFiles::~TempPageFiles() {
  RemoveAll();
}

std::string TempPageFiles::NewTempPageFile() {
  std::string name = FFolder + "/" + std::string(kPrefix) + std::to_string(::getpid()) + "-" +
                     std::string(kUniqueLength, 'X') + std::string(kExtension);
  // mkstemps makes the name unique and creates the file empty, readable by its owner only.
  FileHandle file(mkstemps(name.data(), static_cast<int>(kExtension.size())));
  if (file.Get() < 0) Fail(FFolder, errno);
  FTempFiles.push_back(name);
  return name;
}

void TempPageFiles::WritePage(const std::string& path, std::string_view page) const {
  // The file exists (NewTempPageFile made it); one that has gone is not made again, and a link put
  // in its place is not followed.
  FileHandle file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
  if (file.Get() < 0) Fail(path, errno);
  if (const int error = WriteFully(file.Get(), page.data(), page.size())) Fail(path, error);
  if (!file.Close()) Fail(path, errno);
}

void TempPageFiles::Prune(std::size_t keep) {
  while (FTempFiles.size() > keep) {
    ::unlink(FTempFiles.front().c_str());
    FTempFiles.erase(FTempFiles.begin());
  }
}

void TempPageFiles::RemoveAll() {
  Prune(0);
}

bool TempPageFiles::Contains(const std::string& path) const {
  return std::find(FTempFiles.begin(), FTempFiles.end(), path) != FTempFiles.end();
}

}  // namespace yuzulog
