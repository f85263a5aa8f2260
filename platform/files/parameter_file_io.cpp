#include "platform/files/parameter_file_io.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace hopper {

namespace {
QString Tr(const char* text) { return QCoreApplication::translate("ParameterFiles", text); }

// Only a regular file or nothing at all may be written: replacing a device or a pipe by a
// regular file, or blocking on a pipe with no reader, is never what the user meant.
QString RefusalToWrite(const QFileInfo& info) {
  if (info.isDir()) return Tr("It is a folder.");
  if (info.exists() && !info.isFile()) return Tr("It is not an ordinary file.");
  return QString();
}
}  // namespace

ItemReader::ReadChunk ChunksOf(QIODevice& device) {
  return [&device](char* buffer, std::size_t capacity) -> std::int64_t {
    return device.read(buffer, static_cast<qint64>(capacity));
  };
}

bool IsOrdinaryFile(const QString& path) { return QFileInfo(path).isFile(); }

QString CreateEmptyFile(const QString& path) {
  const QFileInfo info(path);
  if (QString why = RefusalToWrite(info); !why.isEmpty()) return why;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return file.errorString();
  file.close();
  return file.error() == QFileDevice::NoError ? QString() : file.errorString();
}

QString WriteWholeFile(const QString& path, const QByteArray& bytes) {
  if (QString why = RefusalToWrite(QFileInfo(path)); !why.isEmpty()) return why;
  QSaveFile file(path);
  // Writing straight into the file when its folder forbids the temporary file would risk
  // exactly the half-written file this is meant to prevent.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  // commit() does not notice a failure while it writes out the last buffered bytes, and would
  // then put the short temporary file in the target's place: flush first and check.
  if (file.write(bytes) != bytes.size() || !file.flush()) {
    const QString why = file.errorString();
    file.cancelWriting();  // the temporary file goes away with `file`
    return why;
  }
  if (!file.commit()) return file.errorString();
  return QString();
}

QString DefaultParameterFolder(const QString& programFolder) {
  const QFileInfo folder(programFolder);
  if (folder.isDir() && folder.isWritable()) return programFolder;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileInfo(documents).isDir() ? documents : QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
}

}  // namespace hopper
