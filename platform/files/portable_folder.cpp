#include "platform/files/portable_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace hopper {

QString PortableFolder() {
  if (QCoreApplication::instance() == nullptr) return {};
  const QString folder = QCoreApplication::applicationDirPath();
  // A folder of that name would be a mistake, not a wish to carry the settings along.
  return QFileInfo(QDir(folder).filePath(QLatin1String(kPortableMarker))).isFile() ? folder : QString();
}

}  // namespace hopper
