#include "tools/emulator/fd_channel.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "core/line_settings.h"

namespace hopper::emulator {

void SetLineSettings(termios& tio, bool framing) {
  static_assert(kSettingLine.baudRate == 9600, "the termios speed below names the baud rate");
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  if (!framing) return;
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag |= kSettingLine.dataBits == 7 ? CS7 : CS8;
  if (kSettingLine.parity != LineParity::None) tio.c_cflag |= PARENB;
  if (kSettingLine.parity == LineParity::Odd) tio.c_cflag |= PARODD;
  if (kSettingLine.stopBits == 2) tio.c_cflag |= CSTOPB;
}

FdChannel::~FdChannel() {
  notifier_.reset();
  if (fd_ >= 0) ::close(fd_);
}

void FdChannel::Adopt(int fd, bool peerPresent) {
  fd_ = fd;
  peerPresent_ = peerPresent;
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
  // A program started from here (a test running the tool as a process) must not inherit the
  // line: holding it open would keep the far end from seeing it close.
  ::fcntl(fd_, F_SETFD, ::fcntl(fd_, F_GETFD) | FD_CLOEXEC);
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadWaiting(); });
  SetListening(peerPresent);
}

void FdChannel::SetListening(bool on) {
  if (notifier_) notifier_->setEnabled(on);
}

bool FdChannel::Write(std::uint8_t byte) {
  if (!PeerPresent()) return false;
  ssize_t n;
  do {
    n = ::write(fd_, &byte, 1);
  } while (n < 0 && errno == EINTR);
  return n == 1;
}

void FdChannel::Close() {
  if (fd_ < 0) return;
  BeforeClose();
  notifier_.reset();
  ::close(fd_);
  fd_ = -1;
  peerPresent_ = false;
}

void FdChannel::ReadWaiting() {
  char buffer[512];
  QByteArray received;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      received.append(buffer, n);
      continue;
    }
    const int error = n == 0 ? 0 : errno;
    if (n < 0 && error == EINTR) continue;
    if (!received.isEmpty()) emit BytesReceived(received);
    if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) return;
    ReadFailed(error);
    return;
  }
}

QString DeviceChannel::Open(const QString& path) {
  path_ = path;
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    const QString why = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return QStringLiteral("%1 is not a serial line: %2").arg(path, why);
  }
  SetLineSettings(tio, true);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    const QString why = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return QStringLiteral("cannot set the line settings on %1: %2").arg(path, why);
  }
  ::tcflush(fd, TCIOFLUSH);
  Adopt(fd, true);
  return {};
}

void DeviceChannel::ReadFailed(int error) {
  const QString why =
      error == 0 ? QStringLiteral("the device reported its end") : QString::fromLocal8Bit(std::strerror(error));
  Close();
  emit Lost(why);
}

}  // namespace hopper::emulator
