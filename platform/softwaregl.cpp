#include "platform/softwaregl.h"

#include "common/sjis.h"

namespace yuzulog {

bool IsSoftwareGlRenderer(std::string_view renderer) {
  // Drivers put these names inside longer strings ("llvmpipe (LLVM 15.0.6, 256 bits)",
  // "Google SwiftShader Device"), and not always in the same case.
  static constexpr std::string_view kSoftware[] = {"llvmpipe",    "softpipe",
                                                   "swiftshader", "software rasterizer",
                                                   "gdi generic", "basic render driver"};
  if (renderer.empty()) return true;
  for (std::string_view name : kSoftware)
    for (std::size_t at = 0; at + name.size() <= renderer.size(); ++at)
      if (EqualsIgnoringAsciiCase(renderer.substr(at, name.size()), name)) return true;
  return false;
}

}  // namespace yuzulog
