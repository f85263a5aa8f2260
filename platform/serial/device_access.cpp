#include "platform/serial/device_access.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace hopper {

namespace {

#ifdef Q_OS_UNIX
// Serial programs on Linux (this one included, through Qt) announce an open device with a
// lock file "LCK..<name>" holding their process id in one of these folders.
qint64 LockHolder(const QString& device) {
  QString name = device;
  if (name.startsWith(QStringLiteral("/dev/"))) name.remove(0, 5);
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  for (const char* folder : {"/var/lock", "/run/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp",
                             "/var/tmp", "/var/lock/lockdev"}) {
    QFile lock(QStringLiteral("%1/LCK..%2").arg(QString::fromLatin1(folder), name));
    if (!lock.open(QIODevice::ReadOnly)) continue;
    const qint64 pid = QString::fromLatin1(lock.readLine(64)).trimmed().toLongLong();
    if (pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)) return pid;
  }
  return 0;
}
#endif

}  // namespace

DeviceAccess AccessOf([[maybe_unused]] const QString& path) {
  DeviceAccess access;
#ifdef Q_OS_UNIX
  const QString device = QFileInfo(path).canonicalFilePath();
  if (device.isEmpty()) return access;
  access.mayOpen = ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
  if (!access.mayOpen) access.group = QFileInfo(device).group();
  access.holder = LockHolder(device);
#endif
  return access;
}

QString GrantCommand(const QString& group) {
  return QStringLiteral("sudo usermod -aG %1 $USER").arg(group.isEmpty() ? QStringLiteral("dialout") : group);
}

}  // namespace hopper
