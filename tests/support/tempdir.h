// A temporary folder that is removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace yuzulog::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return FPath; }
  // Writes bytes to a file in the folder and returns its path; throws when the file cannot be
  // written whole.
  std::string Write(std::string_view name, std::string_view bytes) const;
  std::string File(std::string_view name) const { return (FPath / name).string(); }

 private:
  std::filesystem::path FPath;
};

std::string ReadFileBytes(const std::string& path);

}  // namespace yuzulog::testing
