#include "platform/paths.h"

#include <sys/stat.h>

#include <filesystem>

#include "common/sjis.h"

namespace yuzulog {

std::string FileExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return {};
  return path.substr(dot);
}

bool ExtensionIs(std::string_view ext, std::string_view dotted) {
  return EqualsIgnoringAsciiCase(ext, dotted);
}

std::string FullPath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) p = path;
  std::string s = p.lexically_normal().string();
  // lexically_normal keeps a trailing "/" of a folder; a file path never has one.
  if (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool PathExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  const bool aExists = ::stat(a.c_str(), &sa) == 0;
  const bool bExists = ::stat(b.c_str(), &sb) == 0;
  if (aExists && bExists) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (aExists != bExists) return false;
  std::error_code ea;
  std::error_code eb;
  const std::filesystem::path ca = std::filesystem::weakly_canonical(FullPath(a), ea);
  const std::filesystem::path cb = std::filesystem::weakly_canonical(FullPath(b), eb);
  return !ea && !eb && ca == cb;
}

}  // namespace yuzulog
