// The floor for the echo figure: the least a program can do to answer a byte on a serial
// line. It opens the device raw and writes back every byte it reads, from a plain poll loop.
//   usage: bench-floor-echo <device>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench-floor-echo <device>\n");
    return 2;
  }
  const int fd = ::open(argv[1], O_RDWR | O_NOCTTY);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }
  termios raw{};
  ::tcgetattr(fd, &raw);
  ::cfmakeraw(&raw);
  raw.c_cflag |= PARENB;  // 9600 8E1, as the tool sets its port
  ::cfsetspeed(&raw, B9600);
  ::tcsetattr(fd, TCSANOW, &raw);
  unsigned char buffer[256];
  pollfd waiting{fd, POLLIN, 0};
  for (;;) {
    if (::poll(&waiting, 1, -1) < 0) continue;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;  // the far end has gone
    if (::write(fd, buffer, static_cast<size_t>(n)) != n) break;
  }
  ::close(fd);
  return 0;
}
