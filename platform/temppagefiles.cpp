#include "platform/temppagefiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/fileio.h"

namespace yuzulog {
namespace {

// The prefix that marks the program's page files, and the extension by which the browser takes
// them for HTML.
constexpr const char* kPrefix = "$qmv";
constexpr const char* kExtension = ".htm";

[[noreturn]] void Fail(const std::string& path, int error) {
  throw TempPageError(path + ": " + std::strerror(error));
}

}  // namespace

std::string SystemTempFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir && *dir ? std::string(dir) : std::string("/tmp");
}

TempPageFiles::TempPageFiles(std::string folder) : FFolder(std::move(folder)) {
  while (FFolder.size() > 1 && FFolder.back() == '/')
    FFolder.pop_back();
}

TempPageFiles::~TempPageFiles() {
  RemoveAll();
}

std::string TempPageFiles::NewTempPageFile() {
  std::string name = FFolder + "/" + kPrefix + "XXXXXX" + kExtension;
  // mkstemps makes the name unique and creates the file empty, readable by its owner only.
  FileHandle file(mkstemps(name.data(), static_cast<int>(std::strlen(kExtension))));
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
