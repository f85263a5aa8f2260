#include "pty_peer.h"

#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace hopper::test {

PtyPeer::PtyPeer() {
  char name[256] = {};
  int master = -1;
  int slave = -1;
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
  // Raw both ways: no echo, no line editing, every byte as it is.
  termios raw{};
  ::tcgetattr(master, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(master, TCSANOW, &raw);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  master_ = master;
  slave_ = slave;
  path_ = QString::fromLocal8Bit(name);
}

PtyPeer::~PtyPeer() { closeFarEnd(); }

bool PtyPeer::write(const QByteArray& bytes) {
  qsizetype done = 0;
  while (master_ >= 0 && done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n > 0) {
      done += n;
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    } else {
      QTest::qWait(1);  // the line's buffer is full: let the program read
    }
  }
  return done == bytes.size();
}

void PtyPeer::Pull() {
  if (master_ < 0) return;
  char buffer[512];
  for (;;) {
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) break;
    received_.append(buffer, n);
  }
}

QByteArray PtyPeer::readAvailable() {
  Pull();
  QByteArray out;
  out.swap(received_);
  return out;
}

QByteArray PtyPeer::waitForBytes(int count, int timeoutMs) {
  (void)QTest::qWaitFor([&] {
    Pull();
    return received_.size() >= count;
  }, timeoutMs);
  return readAvailable();
}

void PtyPeer::closeFarEnd() {
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  master_ = slave_ = -1;
}

}  // namespace hopper::test
