#include "export/exportfiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace yuzulog {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMark = ".yuzulog-export-";

std::string FolderOf(const std::string& path) {
  const fs::path parent = fs::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

// The process id in a temporary's name, or 0 when the name is no export temporary.
long OwnerOf(const std::string& name) {
  const std::size_t mark = name.rfind(kMark);
  if (name.empty() || name[0] != '.' || mark == std::string::npos) return 0;
  const std::string rest = name.substr(mark + kMark.size());  // PID-TAG
  const std::size_t dash = rest.find('-');
  if (dash == std::string::npos || dash == 0) return 0;
  const std::string tag = rest.substr(dash + 1);
  if (tag != "new" && tag != "old") return 0;
  long pid = 0;
  for (std::size_t i = 0; i < dash; ++i) {
    if (rest[i] < '0' || rest[i] > '9' || pid > 100000000) return 0;
    pid = pid * 10 + (rest[i] - '0');
  }
  return pid;
}

bool ProcessGone(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void RemoveAll(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

ExportError SystemError(const std::string& what, const std::string& path, int error) {
  return ExportError(what + "：" + path + "（" + std::strerror(error) + "）");
}

std::string ExportTemporaryName(const std::string& path, long pid, std::string_view tag) {
  const fs::path p(path);
  std::string name = "." + p.filename().string() + std::string(kMark) + std::to_string(pid) + "-" +
                     std::string(tag);
  return (p.parent_path() / name).string();
}

int RemoveStaleExportTemporaries(const std::string& folder) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const long pid = OwnerOf(it->path().filename().string());
    if (pid <= 0 || pid == static_cast<long>(::getpid()) || !ProcessGone(pid)) continue;
    RemoveAll(it->path().string());
    ++removed;
  }
  return removed;
}

void ExportDestination::Begin(const std::string& path, bool folder, bool force) {
  Abandon();
  if (path.empty()) throw ExportError("出力先が指定されていません");
  FPath = path;
  FFolder = folder;
  FForce = force;
  const std::string folderOfPath = FolderOf(path);
  struct stat st {};
  if (::stat(folderOfPath.c_str(), &st) != 0)
    throw SystemError("出力先のフォルダがありません", folderOfPath, errno);
  RemoveStaleExportTemporaries(folderOfPath);
  if (Exists(path) && !force)
    throw ExportError("出力先がすでにあります（置き換えるには --force）：" + path);
  FTemporary = ExportTemporaryName(path, static_cast<long>(::getpid()), "new");
  RemoveAll(FTemporary);  // left by this very process id long ago, or a failed earlier attempt
  if (folder && ::mkdir(FTemporary.c_str(), 0777) != 0) {
    const int error = errno;
    FTemporary.clear();
    throw SystemError("フォルダを作成できません", path, error);
  }
}

void ExportDestination::Commit() {
  if (FTemporary.empty()) return;
  struct stat existing {};
  const bool exists = ::lstat(FPath.c_str(), &existing) == 0;
  if (exists && !FForce)
    throw ExportError("出力先がすでにあります（置き換えるには --force）：" + FPath);
  if (!exists || (!FFolder && !S_ISDIR(existing.st_mode))) {
    // A file replaces a file in one step: there is never a moment without either.
    if (::rename(FTemporary.c_str(), FPath.c_str()) != 0)
      throw SystemError("出力先に移せません", FPath, errno);
    FTemporary.clear();
    return;
  }
  const std::string old = ExportTemporaryName(FPath, static_cast<long>(::getpid()), "old");
  RemoveAll(old);
  if (::rename(FPath.c_str(), old.c_str()) != 0)
    throw SystemError("以前の出力を移せません", FPath, errno);
  if (::rename(FTemporary.c_str(), FPath.c_str()) != 0) {
    const int error = errno;
    ::rename(old.c_str(), FPath.c_str());
    throw SystemError("出力先に移せません", FPath, error);
  }
  FTemporary.clear();
  RemoveAll(old);
}

void ExportDestination::Abandon() {
  if (FTemporary.empty()) return;
  RemoveAll(FTemporary);
  FTemporary.clear();
}

ExportFile::ExportFile(std::string path, Size size)
    : FPath(std::move(path)),
      FPiece(size == Size::Large ? std::size_t{1} << 16 : std::size_t{1} << 12),
      FFlushBytes(size == Size::Large ? std::size_t{1} << 20 : std::size_t{1} << 15),
      FCapacity(FFlushBytes + FPiece * static_cast<std::size_t>(Cp932Table::kMaxStep) + 64) {
  FData.reset(new char[FCapacity]);
  FFile.Reset(::open(FPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (FFile.Get() < 0) throw SystemError("ファイルを作成できません", FPath, errno);
}

void ExportFile::Write(std::string_view bytes) {
  if (FSize + bytes.size() > FCapacity) {
    Flush();
    if (bytes.size() > FCapacity) {
      if (const int error = WriteFully(FFile.Get(), bytes.data(), bytes.size()))
        throw SystemError("書き込めません", FPath, error);
      return;
    }
  }
  std::memcpy(FData.get() + FSize, bytes.data(), bytes.size());
  FSize += bytes.size();
  if (FSize >= FFlushBytes) Flush();
}

void ExportFile::WriteCp932(std::string_view cp932, Utf8Escape escape) {
  const Cp932Table& table = Cp932Table::Get();
  while (!cp932.empty()) {
    // Converted straight into the buffer until it is full, so a huge message never needs six
    // times its size at once. The conversion sees the whole rest of the text: cut short, it
    // would read the first byte of a character cut in two as a byte that does not convert.
    if (FSize >= FFlushBytes) Flush();
    char* o = FData.get() + FSize;
    const std::size_t used = table.Convert(cp932, escape, o, FData.get() + FCapacity);
    FSize = static_cast<std::size_t>(o - FData.get());
    cp932.remove_prefix(used);
  }
}

void ExportFile::Flush() {
  if (FSize == 0) return;
  if (const int error = WriteFully(FFile.Get(), FData.get(), FSize))
    throw SystemError("書き込めません", FPath, error);
  FWritten += FSize;
  FSize = 0;
  // Start writing what is done to the disk while the rest is converted, so that the sync at the
  // end waits for the last pieces only instead of the whole file.
  if (FWritten - FStarted >= kWritebackBytes) {
    ::sync_file_range(FFile.Get(), static_cast<off_t>(FStarted),
                      static_cast<off_t>(FWritten - FStarted), SYNC_FILE_RANGE_WRITE);
    FStarted = FWritten;
  }
}

void ExportFile::Close(bool sync) {
  Flush();
  if (sync && ::fdatasync(FFile.Get()) != 0 && errno != EINVAL)
    throw SystemError("書き込めません", FPath, errno);
  if (!FFile.Close()) throw SystemError("書き込めません", FPath, errno);
}

}  // namespace yuzulog
