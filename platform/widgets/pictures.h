#pragma once
// Pictures the program reads from a folder of its own (the animation frames beside the
// executable). Each request reads the file anew, so a replaced picture shows at once.

#include <QPixmap>
#include <QString>
#include <utility>

namespace hopper {

class PictureFolder {
 public:
  explicit PictureFolder(QString folder) : folder_(std::move(folder)) {}

  // The picture in `fileName`, or an empty pixmap when the file is missing, unreadable or
  // not a picture. Nothing is reported: an empty picture area is the whole answer.
  QPixmap Load(const QString& fileName) const;

  const QString& Folder() const { return folder_; }

 private:
  QString folder_;
};

}  // namespace hopper
