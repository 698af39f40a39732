// Whether the OpenGL the window system offers is drawn by the processor. The browser view makes
// its whole window compose through the scene graph; on such a renderer every update of the window
// (each step of a progress bar) is rasterised again in software, several times slower than the
// scene graph's own software backend drawing the same window.
#pragma once

#include <string_view>

namespace yuzulog {

// True for the renderer names (GL_RENDERER) of the software rasterisers: Mesa's llvmpipe,
// softpipe and classic "Software Rasterizer", SwiftShader, and the generic drivers of other
// systems; also for an empty name, when no OpenGL context could be made at all.
bool IsSoftwareGlRenderer(std::string_view renderer);

}  // namespace yuzulog
