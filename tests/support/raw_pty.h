#pragma once
// A pseudo-terminal pair set raw both ways (no echo, no line editing, every byte as it is),
// its master side non-blocking: the far end of a serial line for tests and benchmarks.

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <string>

namespace hopper::test {

struct RawPty {
  int master = -1;  // -1 when openpty failed (the system can run out of terminals)
  int slave = -1;
  std::string device;  // the slave's path, for example /dev/pts/3
};

inline RawPty OpenRawPty() {
  RawPty pty;
  char name[256] = {};
  if (::openpty(&pty.master, &pty.slave, name, nullptr, nullptr) != 0) return {};
  termios raw{};
  ::tcgetattr(pty.master, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(pty.master, TCSANOW, &raw);
  ::fcntl(pty.master, F_SETFL, ::fcntl(pty.master, F_GETFL) | O_NONBLOCK);
  pty.device = name;
  return pty;
}

}  // namespace hopper::test
