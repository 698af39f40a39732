#include "tests/support/tempdir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace yuzulog::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "yuzulog-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  FPath = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(FPath, ec);
}

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
  const std::filesystem::path p = FPath / name;
  std::filesystem::create_directories(p.parent_path());
  // A fixture that is not written whole would load as a shorter log and fail its test for the
  // wrong reason (a search that finds nothing), so a failed write stops the test here.
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write the test file " + p.string());
  return p.string();
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace yuzulog::testing
