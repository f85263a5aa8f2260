#include "line_peer.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <ctime>

#include "tests/support/raw_pty.h"

namespace bench {

std::int64_t NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

LinePeer::LinePeer() {
  const hopper::test::RawPty pty = hopper::test::OpenRawPty();
  master_ = pty.master;
  slave_ = pty.slave;
  device_ = pty.device;
}

LinePeer::~LinePeer() {
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
}

std::int64_t LinePeer::Write(const Bytes& bytes) {
  const std::int64_t start = NowNs();
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      break;
    } else {
      pollfd room{master_, POLLOUT, 0};
      ::poll(&room, 1, 1000);
    }
  }
  return start;
}

Bytes LinePeer::Read(std::size_t count, int timeoutMs, std::int64_t* lastAt) {
  Bytes got;
  const std::int64_t deadline = NowNs() + static_cast<std::int64_t>(timeoutMs) * 1000000;
  while (got.size() < count) {
    std::uint8_t buffer[256];
    const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
    if (n > 0) {
      got.insert(got.end(), buffer, buffer + n);
      if (lastAt) *lastAt = NowNs();
      continue;
    }
    const std::int64_t left = deadline - NowNs();
    if (left <= 0) return {};
    pollfd waiting{master_, POLLIN, 0};
    ::poll(&waiting, 1, static_cast<int>(left / 1000000) + 1);
  }
  return got;
}

void LinePeer::Discard() {
  std::uint8_t buffer[4096];
  while (::read(master_, buffer, sizeof buffer) > 0) {}
}

int LinePeer::Unread() const {
  int waiting = 0;
  ::ioctl(slave_, FIONREAD, &waiting);
  return waiting;
}

}  // namespace bench
