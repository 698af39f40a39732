// The committed test fixtures (tests/data), found wherever the build folder is.
#pragma once

#include <string>
#include <string_view>

namespace yuzulog::testing {

// The path of a fixture: tests/data/ + name.
std::string DataFile(std::string_view name);

}  // namespace yuzulog::testing
