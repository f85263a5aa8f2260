#include "platform/files/backup_store.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include "core/parameter_file.h"
#include "platform/files/parameter_file_io.h"
#include "platform/files/portable_folder.h"

namespace hopper {

namespace {

// Date and time first, so that the names sort from oldest to newest.
const QRegularExpression kBackupName(
    QStringLiteral("^backup-\\d{4}-\\d{2}-\\d{2}-\\d{6}-\\d{3}-[A-Za-z0-9_.-]+\\.txt$"));

// "COM3" as it is; a device path by its name under /dev, with anything but letters, digits,
// '_' and '.' made '-': /dev/serial/by-id/usb-FTDI:1 gives "serial-by-id-usb-FTDI-1".
QString PortInFileName(const QString& port) {
  QString name = port.startsWith(QStringLiteral("/dev/")) ? port.mid(5) : port;
  for (QChar& c : name)
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'.') c = u'-';
  return name.isEmpty() ? QStringLiteral("port") : name;
}

}  // namespace

QString BackupStore::DefaultFolder() {
  if (const QString portable = PortableFolder(); !portable.isEmpty())
    return QDir(portable).filePath(QStringLiteral("backups"));
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
      .filePath(QStringLiteral("Hopper kit/backups"));
}

BackupStore::BackupStore(QString folder, int keep) : folder_(std::move(folder)), keep_(keep < 1 ? 1 : keep) {}

BackupResult BackupStore::Write(const ChannelTexts& entries, const QString& port, const QDateTime& when) const {
  QDir dir(folder_);
  if (!dir.mkpath(QStringLiteral("."))) return {{}, QStringLiteral("The folder %1 cannot be created.").arg(folder_)};
  const QString stem =
      QStringLiteral("backup-%1-%2").arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmmss-zzz")), PortInFileName(port));
  QString path = dir.filePath(stem + QStringLiteral(".txt"));
  // Two saves within one millisecond (or a clock set back) must not overwrite a backup.
  for (int n = 2; QFile::exists(path); ++n) path = dir.filePath(QStringLiteral("%1-%2.txt").arg(stem).arg(n));
  const std::string text = ParameterFileText(entries);
  if (QString why = WriteWholeFile(path, QByteArray(text.data(), qsizetype(text.size()))); !why.isEmpty())
    return {{}, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why)};
  RemoveOldest();
  return {path, {}};
}

QStringList BackupStore::Backups() const {
  QStringList names = QDir(folder_).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::Reversed);
  QStringList paths;
  for (const QString& name : names)
    if (kBackupName.match(name).hasMatch()) paths << QDir(folder_).filePath(name);
  return paths;
}

void BackupStore::RemoveOldest() const {
  const QStringList backups = Backups();
  for (qsizetype i = keep_; i < backups.size(); ++i) QFile::remove(backups[i]);
}

}  // namespace hopper
