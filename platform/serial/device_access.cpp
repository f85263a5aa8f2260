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
// Whether process `pid` still runs: a lock file outlives a program that crashed.
bool Running(qint64 pid, const QString& root) {
  if (QFileInfo::exists(QStringLiteral("%1/proc/%2").arg(root).arg(pid))) return true;
  // /proc may hide other users' processes; the system's own can still be asked.
  return root.isEmpty() && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

// Serial programs on Linux (this one included, through Qt) announce an open device with a
// lock file "LCK..<name>" holding their process id in one of these folders.
DeviceHolder LockHolder(const QString& device, const QString& root) {
  QString name = device;
  if (name.startsWith(QStringLiteral("/dev/"))) name.remove(0, 5);
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  for (const char* folder : {"/var/lock", "/run/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp",
                             "/var/tmp", "/var/lock/lockdev"}) {
    const QString path = QStringLiteral("%1/LCK..%2").arg(QString::fromLatin1(folder), name);
    QFile lock(root + path);
    if (!lock.open(QIODevice::ReadOnly)) continue;
    const qint64 pid = QString::fromLatin1(lock.readLine(64)).trimmed().toLongLong();
    if (pid > 0 && Running(pid, root)) return {pid, path};
  }
  return {};
}

// Terminal programs such as picocom take no lock file but lock the open device itself; the
// kernel lists such locks by the device's file ("1: FLOCK  ADVISORY  WRITE 4711 00:19:6 0 EOF").
qint64 FlockHolder([[maybe_unused]] const QString& device, [[maybe_unused]] const QString& root) {
#ifdef Q_OS_LINUX
  struct stat status {};
  if (::stat(QFile::encodeName(device).constData(), &status) != 0) return 0;
  const QByteArray file = QStringLiteral("%1:%2:%3")
                              .arg(major(status.st_dev), 2, 16, QLatin1Char('0'))
                              .arg(minor(status.st_dev), 2, 16, QLatin1Char('0'))
                              .arg(status.st_ino)
                              .toLatin1();
  QFile locks(root + QStringLiteral("/proc/locks"));
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
#endif

}  // namespace

DeviceAccess AccessOf([[maybe_unused]] const QString& path) {
  DeviceAccess access;
#ifdef Q_OS_UNIX
  const QString device = QFileInfo(path).canonicalFilePath();
  if (device.isEmpty()) return access;
  access.mayOpen = ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
  if (!access.mayOpen) access.group = QFileInfo(device).group();
  access.holder = HolderOf(device).pid;
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
  const qint64 pid = real.isEmpty() ? 0 : HolderOf(real).pid;
  if (pid == 0) return {};
  const QString name = ProcessName(pid);
  return name.isEmpty() ? QStringLiteral("process %1").arg(pid) : QStringLiteral("%1 (process %2)").arg(name).arg(pid);
#else
  return {};
#endif
}

DeviceHolder HolderOf([[maybe_unused]] const QString& device, [[maybe_unused]] const QString& root) {
#ifdef Q_OS_UNIX
  if (DeviceHolder byFile = LockHolder(device, root); byFile.pid != 0) return byFile;
  return {FlockHolder(device, root), {}};
#else
  return {};
#endif
}

QString ProcessName(qint64 pid, const QString& root) {
  QFile comm(QStringLiteral("%1/proc/%2/comm").arg(root).arg(pid));
  return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readLine(64)).trimmed() : QString();
}

QString GrantCommand(const QString& group) {
  return QStringLiteral("sudo usermod -aG %1 $USER").arg(group.isEmpty() ? QStringLiteral("dialout") : group);
}

}  // namespace hopper
