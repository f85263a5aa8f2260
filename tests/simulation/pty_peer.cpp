#include "pty_peer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer() {
  char name[256] = {};
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    master_ = slave_ = -1;
    return;
  }
  termios raw{};
  ::tcgetattr(master_, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(master_, TCSANOW, &raw);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  devicePath_ = QString::fromLocal8Bit(name);
}

PtyPeer::~PtyPeer() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

void PtyPeer::ReadWaiting() {
  char buffer[512];
  for (;;) {
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) return;
    received_.append(buffer, static_cast<qsizetype>(n));
  }
}

QByteArray PtyPeer::Receive(int count) {
  const QDeadlineTimer deadline(5000);
  while (master_ >= 0 && received_.size() < count && !deadline.hasExpired()) {
    // The program's port writes from the event loop, so keep it turning while waiting.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ReadWaiting();
    if (received_.size() >= count) break;
    pollfd fd{master_, POLLIN, 0};
    ::poll(&fd, 1, 10);
  }
  QByteArray out = received_;
  received_.clear();
  return out;
}

bool PtyPeer::Send(const QByteArray& bytes) {
  qsizetype done = 0;
  const QDeadlineTimer deadline(5000);
  while (master_ >= 0 && done < bytes.size() && !deadline.hasExpired()) {
    const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n > 0) {
      done += n;
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    } else {
      pollfd fd{master_, POLLOUT, 0};
      ::poll(&fd, 1, 10);
    }
  }
  return done == bytes.size();
}
