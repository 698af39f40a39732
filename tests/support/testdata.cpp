#include "tests/support/testdata.h"

namespace yuzulog::testing {

std::string DataFile(std::string_view name) {
  return std::string(YUZULOG_TEST_DATA) + "/" + std::string(name);
}

}  // namespace yuzulog::testing
