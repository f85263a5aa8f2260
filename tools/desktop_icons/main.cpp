// Writes the tool's window icon as the files a desktop looks for:
//   hopper-draw-icons <folder>        makes <folder>/<N>x<N>/apps/hopper-setting-tool.png (Linux)
//   hopper-draw-icons --ico <file>    makes one Windows icon file holding every size
// The icon is drawn by the program itself, so the menu shows the same coin as the windows.
#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QSaveFile>
#include <QtEndian>
#include <cstdio>
#include <vector>

#include "ui/window_icon.h"

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

void Append16(QByteArray& out, quint16 value) {
  const quint16 le = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&le), 2);
}
void Append32(QByteArray& out, quint32 value) {
  const quint32 le = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&le), 4);
}

// An .ico of PNG images (read by Windows Vista and later): a header, one directory entry per
// size, then the images.
bool WriteIco(const QString& file) {
  std::vector<QByteArray> images;
  for (int size : kSizes) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !hopper::ToolIconPixmap(size).save(&buffer, "PNG")) return false;
    images.push_back(png);
  }
  QByteArray out;
  Append16(out, 0);  // reserved
  Append16(out, 1);  // an icon
  Append16(out, static_cast<quint16>(images.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const int size = kSizes[i];
    out.append(static_cast<char>(size >= 256 ? 0 : size));  // 0 stands for 256
    out.append(static_cast<char>(size >= 256 ? 0 : size));
    out.append('\0');  // no palette
    out.append('\0');
    Append16(out, 1);   // planes
    Append16(out, 32);  // bits a pixel
    Append32(out, static_cast<quint32>(images[i].size()));
    Append32(out, offset);
    offset += static_cast<quint32>(images[i].size());
  }
  for (const QByteArray& image : images) out.append(image);
  QSaveFile saved(file);
  return saved.open(QIODevice::WriteOnly) && saved.write(out) == out.size() && saved.commit();
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  if (argc == 3 && QByteArray(argv[1]) == "--ico") {
    if (WriteIco(QString::fromLocal8Bit(argv[2]))) return 0;
    std::fprintf(stderr, "hopper-draw-icons: cannot write %s\n", argv[2]);
    return 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: hopper-draw-icons <folder> | --ico <file>\n");
    return 2;
  }
  for (int size : kSizes) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    const QString file = folder + QStringLiteral("/hopper-setting-tool.png");
    if (!QDir().mkpath(folder) || !hopper::ToolIconPixmap(size).save(file)) {
      std::fprintf(stderr, "hopper-draw-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
