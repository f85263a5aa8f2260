#include "platform/serial/termios_driver_line.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include <array>
#include <utility>

#ifdef __linux__
#include <linux/serial.h>
#include <sys/sysmacros.h>
#endif

namespace hopper {

namespace {

int BaudOf(speed_t speed) {
  static constexpr std::array<std::pair<speed_t, int>, 12> kSpeeds{{{B300, 300},
                                                                    {B600, 600},
                                                                    {B1200, 1200},
                                                                    {B2400, 2400},
                                                                    {B4800, 4800},
                                                                    {B9600, 9600},
                                                                    {B19200, 19200},
                                                                    {B38400, 38400},
                                                                    {B57600, 57600},
                                                                    {B115200, 115200},
                                                                    {B230400, 230400},
                                                                    {B0, 0}}};
  for (const auto& [code, baud] : kSpeeds)
    if (code == speed) return baud;
  return -1;
}

bool PseudoTerminal(int fd) {
#ifdef __linux__
  // The slaves of Unix 98 pseudo-terminals have majors 136 to 143.
  struct stat status {};
  return ::fstat(fd, &status) != 0 || (major(status.st_rdev) >= 136 && major(status.st_rdev) <= 143);
#else
  (void)fd;
  return true;  // cannot tell here: take it as one, and claim nothing
#endif
}

}  // namespace

std::optional<LineSettings> TermiosDriverLine::Taken(int fd) const {
  termios t{};
  if (fd < 0 || PseudoTerminal(fd) || ::tcgetattr(fd, &t) != 0) return std::nullopt;
  LineSettings taken{BaudOf(::cfgetospeed(&t)), LineParity::None, 8, (t.c_cflag & CSTOPB) != 0 ? 2 : 1};
  bool sticky = false;
#ifdef CMSPAR
  sticky = (t.c_cflag & CMSPAR) != 0;  // mark or space: neither even nor odd
#endif
  if ((t.c_cflag & PARENB) != 0 && !sticky)
    taken.parity = (t.c_cflag & PARODD) != 0 ? LineParity::Odd : LineParity::Even;
  switch (t.c_cflag & CSIZE) {
    case CS5: taken.dataBits = 5; break;
    case CS6: taken.dataBits = 6; break;
    case CS7: taken.dataBits = 7; break;
    default: break;
  }
  return taken;
}

std::optional<LineErrorCounts> TermiosDriverLine::Errors(int fd) const {
#if defined(__linux__) && defined(TIOCGICOUNT)
  serial_icounter_struct counts{};
  if (fd >= 0 && ::ioctl(fd, TIOCGICOUNT, &counts) == 0) return LineErrorCounts{counts.parity, counts.frame};
#else
  (void)fd;
#endif
  return std::nullopt;
}

}  // namespace hopper
