#pragma once
// Helpers for running the emulator on a line: a log kept in memory and the far end of a
// pseudo-terminal opened the way the tool opens its port.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include "tools/emulator/traffic_log.h"

namespace hopper::test {

struct MemoryLog {
  QStringList lines;
  emulator::TrafficLog log{[this](const QString& line) { lines << line; }};
  bool Has(const QString& part) const {
    for (const QString& line : lines)
      if (line.contains(part)) return true;
    return false;
  }
};

// The tool's side of a pseudo-terminal: the slave device, raw, non-blocking.
class FarEnd {
 public:
  explicit FarEnd(const QString& path) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return;
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd_, TCSANOW, &tio);
  }
  ~FarEnd() { Close(); }
  FarEnd(const FarEnd&) = delete;
  FarEnd& operator=(const FarEnd&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  void Write(const QByteArray& bytes) {
    if (fd_ < 0) return;
    [[maybe_unused]] const ssize_t n = ::write(fd_, bytes.constData(), static_cast<size_t>(bytes.size()));
  }
  // Reads what is waiting into `received`; false once the line has hung up.
  bool Poll() {
    char buffer[256];
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n > 0) {
        received.append(buffer, n);
        continue;
      }
      return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
  }
  QByteArray Take(qsizetype count) {
    const QByteArray head = received.left(count);
    received.remove(0, head.size());
    return head;
  }

  QByteArray received;

 private:
  int fd_ = -1;
};

}  // namespace hopper::test
