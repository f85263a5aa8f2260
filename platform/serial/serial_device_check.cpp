#include "platform/serial/serial_device_check.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace hopper {

QString SerialDeviceProblem(const QString& path, [[maybe_unused]] bool probe) {
#ifdef Q_OS_UNIX
  const QFileInfo info(path);
  if (info.isSymLink() && !info.exists())
    return QStringLiteral("%1 is a link to %2, which does not exist.").arg(path, info.symLinkTarget());
  if (!info.exists()) return QStringLiteral("%1 does not exist.").arg(path);
  if (info.isDir()) return QStringLiteral("%1 is a folder, not a serial device.").arg(path);
  struct stat status {};
  if (::stat(QFile::encodeName(path).constData(), &status) != 0) return QStringLiteral("%1 cannot be examined.").arg(path);
  if (S_ISREG(status.st_mode)) return QStringLiteral("%1 is a regular file, not a serial device.").arg(path);
  if (!S_ISCHR(status.st_mode)) return QStringLiteral("%1 is not a device file.").arg(path);
  if (probe) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      const bool terminal = ::isatty(fd) == 1;
      ::close(fd);
      if (!terminal) return QStringLiteral("%1 is a device, but not a serial port (not a terminal).").arg(path);
    }
  }
#else
  Q_UNUSED(path);
#endif
  return {};
}

}  // namespace hopper
