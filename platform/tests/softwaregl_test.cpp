#include "platform/softwaregl.h"

#include <gtest/gtest.h>

namespace yuzulog {
namespace {

TEST(SoftwareGl, RasterisersAreKnownInsideTheDriversLongerNames) {
  EXPECT_TRUE(IsSoftwareGlRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(IsSoftwareGlRenderer("softpipe"));
  EXPECT_TRUE(IsSoftwareGlRenderer("Google SwiftShader"));
  EXPECT_TRUE(IsSoftwareGlRenderer("Mesa DRI Intel(R) Software Rasterizer"));
  EXPECT_TRUE(IsSoftwareGlRenderer("LLVMPIPE"));
  EXPECT_TRUE(IsSoftwareGlRenderer(""));  // no context at all
}

TEST(SoftwareGl, GraphicsCardsAreNot) {
  EXPECT_FALSE(IsSoftwareGlRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
  EXPECT_FALSE(IsSoftwareGlRenderer("NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2"));
  EXPECT_FALSE(IsSoftwareGlRenderer("AMD Radeon RX 580 (polaris10, LLVM 15.0.6, DRM 3.49)"));
  EXPECT_FALSE(IsSoftwareGlRenderer("llvm"));
}

}  // namespace
}  // namespace yuzulog
