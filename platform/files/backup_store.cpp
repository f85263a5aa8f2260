#include "platform/files/backup_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

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

// The set a hopper held is the technician's own record: the folder and its files are theirs alone.
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kOwnerFolder = kOwnerOnly | QFile::ExeOwner;

}  // namespace

bool MakePrivateFolder(const QString& path, bool closeExisting) {
  QDir dir(path);
  if (!dir.exists()) {
    // Each missing level made for this user only, from the top down.
    QStringList missing;
    for (QDir up(dir.absolutePath()); !up.exists(); up.setPath(QFileInfo(up.absolutePath()).absolutePath())) {
      missing.prepend(up.absolutePath());
      if (up.isRoot()) break;
    }
    for (const QString& level : missing)
      if (!QDir().mkdir(level, kOwnerFolder) && !QFileInfo(level).isDir()) return false;
  }
  // A folder of the tool's own made by an earlier version was open to every user.
  if (closeExisting) QFile::setPermissions(dir.absolutePath(), kOwnerFolder);
  return dir.exists();
}

void MakePrivateFile(const QString& path) { QFile::setPermissions(path, kOwnerOnly); }

QString BackupStore::DefaultFolder() {
  if (const QString portable = PortableFolder(); !portable.isEmpty())
    return QDir(portable).filePath(QStringLiteral("backups"));
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
      .filePath(QStringLiteral("Hopper kit/backups"));
}

BackupStore::BackupStore(QString folder, int keep) : folder_(std::move(folder)), keep_(keep < 1 ? 1 : keep) {}

BackupResult BackupStore::Write(const ChannelTexts& entries, const QString& port, const QDateTime& when) const {
  QDir dir(folder_);
  if (!MakePrivateFolder(dir.absolutePath(), true))
    return {{}, QStringLiteral("The folder %1 cannot be created.").arg(folder_)};
  const QString stem =
      QStringLiteral("backup-%1-%2").arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmmss-zzz")), PortInFileName(port));
  QString path = dir.filePath(stem + QStringLiteral(".txt"));
  // Two saves within one millisecond (or a clock set back) must not overwrite a backup.
  for (int n = 2; QFile::exists(path); ++n) path = dir.filePath(QStringLiteral("%1-%2.txt").arg(stem).arg(n));
  const std::string text = ParameterFileText(entries);
  if (QString why = WriteWholeFile(path, QByteArray(text.data(), qsizetype(text.size()))); !why.isEmpty())
    return {{}, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why)};
  MakePrivateFile(path);
  RemoveOldest(path);
  return {path, {}};
}

QStringList BackupStore::Backups() const {
  QStringList names = QDir(folder_).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::Reversed);
  QStringList paths;
  for (const QString& name : names)
    if (kBackupName.match(name).hasMatch()) paths << QDir(folder_).filePath(name);
  return paths;
}

QStringList BackupStore::BackupsOf(const QString& port) const {
  // "…-COM1.txt", or "…-COM1-2.txt" for a second backup in the same millisecond; not "…-COM11.txt".
  const QRegularExpression ours(
      QStringLiteral("-%1(-\\d+)?\\.txt$").arg(QRegularExpression::escape(PortInFileName(port))));
  QStringList paths;
  for (const QString& path : Backups())
    if (ours.match(path).hasMatch()) paths << path;
  return paths;
}

void BackupStore::RemoveOldest(const QString& written) const {
  // Oldest by the time each file was written, not by the date in its name: after the clock was
  // set back (a CMOS reset, a time server's step) the names of older backups lie in the future.
  // A file written "in the future" cannot be newer than one written now, so those go first.
  const QDateTime now = QDateTime::currentDateTimeUtc().addSecs(60);
  struct Written {
    QString path;
    bool future;
    QDateTime time;
  };
  std::vector<Written> others;
  for (const QString& path : Backups()) {
    if (path == written) continue;  // the backup just written is the one a save names: never pruned
    const QDateTime time = QFileInfo(path).lastModified().toUTC();
    others.push_back({path, time > now, time});
  }
  std::sort(others.begin(), others.end(), [](const Written& a, const Written& b) {
    if (a.future != b.future) return !a.future;  // those of the present first
    return a.time > b.time;                      // newest first
  });
  for (std::size_t i = std::size_t(keep_ - 1); i < others.size(); ++i) QFile::remove(others[i].path);
}

}  // namespace hopper
