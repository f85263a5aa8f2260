#include "pty_peer.h"

#include <unistd.h>
#include <QTest>
#include <cerrno>

#include "raw_pty.h"

namespace hopper::test {

PtyPeer::PtyPeer() {
  const RawPty pty = OpenRawPty();
  master_ = pty.master;
  slave_ = pty.slave;
  path_ = QString::fromStdString(pty.device);
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
  (void)QTest::qWaitFor(
      [&] {
        Pull();
        return received_.size() >= count;
      },
      timeoutMs);
  return readAvailable();
}

void PtyPeer::closeFarEnd() {
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  master_ = slave_ = -1;
}

}  // namespace hopper::test
