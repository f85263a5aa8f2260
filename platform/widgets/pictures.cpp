#include "platform/widgets/pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace hopper {

QPixmap PictureFolder::Load(const QString& fileName) const {
  const QString path = QDir(folder_).filePath(fileName);
  if (!QFileInfo(path).isFile()) return {};
  QImageReader reader(path);
  // A picture whose name says one format but whose bytes are another still shows.
  reader.setDecideFormatFromContent(true);
  const QImage image = reader.read();
  if (image.isNull()) return {};
  return QPixmap::fromImage(image);
}

}  // namespace hopper
