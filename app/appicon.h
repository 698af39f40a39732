// The program's icon, drawn in code in the style of the command glyphs: a log sheet with a yuzu.
// The window uses it, and the build writes it as PNG files for the desktop's icon theme.
#pragma once

#include <QIcon>
#include <QImage>

namespace yuzulog {

// The icon at size x size pixels, on a transparent ground.
QImage AppIconImage(int size);
// The icon at the sizes the desktop asks for.
QIcon AppIcon();

// The sizes installed into the hicolor icon theme.
inline constexpr int kAppIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

}  // namespace yuzulog
