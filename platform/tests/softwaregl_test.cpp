#include "platform/softwaregl.h"

#include <gtest/gtest.h>

namespace yuzulog {
namespace {

TEST(SoftwareGl, RasterisersAreKnownInsideTheDriversNamesAndCardsAreNot) {
  for (const char* software : {"llvmpipe (LLVM 15.0.6, 256 bits)", "Google SwiftShader", "LLVMPIPE",
                               "Mesa DRI Intel(R) Software Rasterizer", ""})  // "": no context
    EXPECT_TRUE(IsSoftwareGlRenderer(software)) << software;
  for (const char* card : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "llvm",
                           "AMD Radeon RX 580 (polaris10, LLVM 15.0.6, DRM 3.49)"})
    EXPECT_FALSE(IsSoftwareGlRenderer(card)) << card;
}

}  // namespace
}  // namespace yuzulog
