#include "platform/serial/serial_device_check.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace hopper {

#ifdef Q_OS_UNIX
namespace {

// The device number of the terminal this process runs in, or 0 when it has none.
dev_t ControllingTerminal() {
#ifdef Q_OS_LINUX
  // tty_nr, the fifth field after the command name, which is in parentheses and may hold any.
  QFile stat(QStringLiteral("/proc/self/stat"));
  if (stat.open(QIODevice::ReadOnly)) {
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 1).simplified().split(' ');
    if (fields.size() > 4) return static_cast<dev_t>(fields.at(4).toLongLong());
  }
#endif
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    struct stat status {};
    if (::isatty(fd) == 1 && ::tcgetsid(fd) == ::getsid(0) && ::fstat(fd, &status) == 0) return status.st_rdev;
  }
  return 0;
}

// Why a character device is a terminal of this program rather than a line to a hopper: opening
// it would put the technician's own terminal in raw mode and read the keyboard as hopper bytes.
QString OwnTerminalProblem(const QString& path, dev_t device) {
  struct stat generic {};
  if (::stat("/dev/tty", &generic) == 0 && S_ISCHR(generic.st_mode) && generic.st_rdev == device)
    return QStringLiteral("%1 stands for the terminal of whichever program opens it, not a serial port.").arg(path);
  const dev_t own = ControllingTerminal();
  if (own != 0 && own == device)
    return QStringLiteral("%1 is the terminal this program runs in, not a serial port to a hopper.").arg(path);
  return {};
}

}  // namespace
#endif

QString SerialDeviceProblem(const QString& path, [[maybe_unused]] bool probe) {
#ifdef Q_OS_UNIX
  const QFileInfo info(path);
  if (info.isSymLink() && !info.exists())
    return QStringLiteral("%1 is a link to %2, which does not exist.").arg(path, info.symLinkTarget());
  if (!info.exists()) return QStringLiteral("%1 does not exist.").arg(path);
  if (info.isDir()) return QStringLiteral("%1 is a folder, not a serial device.").arg(path);
  struct stat status {};
  if (::stat(QFile::encodeName(path).constData(), &status) != 0)
    return QStringLiteral("%1 cannot be examined.").arg(path);
  if (S_ISREG(status.st_mode)) return QStringLiteral("%1 is a regular file, not a serial device.").arg(path);
  if (!S_ISCHR(status.st_mode)) return QStringLiteral("%1 is not a device file.").arg(path);
  if (const QString own = OwnTerminalProblem(path, status.st_rdev); !own.isEmpty()) return own;
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
