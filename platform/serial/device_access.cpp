#include "platform/serial/device_access.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#endif
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
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

// Terminal programs such as picocom take no lock file but lock the open device itself; the
// kernel lists such locks by the device's file ("1: FLOCK  ADVISORY  WRITE 4711 00:19:6 0 EOF").
qint64 FlockHolder([[maybe_unused]] const QString& device) {
#ifdef Q_OS_LINUX
  struct stat status {};
  if (::stat(QFile::encodeName(device).constData(), &status) != 0) return 0;
  const QByteArray file = QStringLiteral("%1:%2:%3")
                              .arg(major(status.st_dev), 2, 16, QLatin1Char('0'))
                              .arg(minor(status.st_dev), 2, 16, QLatin1Char('0'))
                              .arg(status.st_ino)
                              .toLatin1();
  QFile locks(QStringLiteral("/proc/locks"));
  if (!locks.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : locks.readAll().split('\n')) {
    // A lock still waiting for its turn has "->" before its kind: only a held one counts.
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() < 6 || fields.at(1) != "FLOCK" || fields.at(5) != file) continue;
    if (const qint64 pid = fields.at(4).toLongLong(); pid > 0) return pid;
  }
#endif
  return 0;
}

qint64 HolderOf(const QString& device) {
  const qint64 pid = LockHolder(device);
  return pid != 0 ? pid : FlockHolder(device);
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
  access.holder = HolderOf(device);
#endif
  return access;
}

bool LockOpenDevice([[maybe_unused]] int fd) {
#ifdef Q_OS_UNIX
  if (fd < 0) return true;
  int rc = 0;
  do rc = ::flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  // A device that takes no such lock at all is held by nobody.
  return rc == 0 || errno != EWOULDBLOCK;
#else
  return true;
#endif
}

QString DeviceHolderText([[maybe_unused]] const QString& device) {
#ifdef Q_OS_UNIX
  const QString real = QFileInfo(device).canonicalFilePath();
  const qint64 pid = real.isEmpty() ? 0 : HolderOf(real);
  if (pid == 0) return {};
  QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
  const QString name = comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readLine(64)).trimmed() : QString();
  return name.isEmpty() ? QStringLiteral("process %1").arg(pid) : QStringLiteral("%1 (process %2)").arg(name).arg(pid);
#else
  return {};
#endif
}

QString GrantCommand(const QString& group) {
  return QStringLiteral("sudo usermod -aG %1 $USER").arg(group.isEmpty() ? QStringLiteral("dialout") : group);
}

}  // namespace hopper
