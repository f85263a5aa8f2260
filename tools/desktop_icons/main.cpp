// Writes the tool's window icon as the PNG files a Linux desktop looks for:
//   hopper-draw-icons <folder>   makes <folder>/<N>x<N>/apps/hopper-setting-tool.png
// The icon is drawn by the program itself, so the menu shows the same coin as the windows.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

#include "ui/window_icon.h"

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: hopper-draw-icons <folder>\n");
    return 2;
  }
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    const QString file = folder + QStringLiteral("/hopper-setting-tool.png");
    if (!QDir().mkpath(folder) || !hopper::ToolIconPixmap(size).save(file)) {
      std::fprintf(stderr, "hopper-draw-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
