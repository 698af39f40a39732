// Writes the program's icon as PNG files in the layout of the hicolor icon theme:
//   yuzulog-icongen OUTDIR  ->  OUTDIR/hicolor/SIZExSIZE/apps/yuzulog.png
#include <QDir>
#include <cstdio>

#include "app/appicon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: yuzulog-icongen OUTDIR\n");
    return 2;
  }
  // Painting into images needs no application object and no display.
  const QString out = QString::fromLocal8Bit(argv[1]);
  for (const int size : yuzulog::kAppIconSizes) {
    const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
    const QString file = dir + QStringLiteral("/yuzulog.png");
    if (!QDir().mkpath(dir) || !yuzulog::AppIconImage(size).save(file, "PNG")) {
      std::fprintf(stderr, "yuzulog-icongen: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
