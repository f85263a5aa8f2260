#pragma once
// DriverLine through termios, read back after the settings were given (POSIX systems).

#include "platform/serial/driver_line.h"

namespace hopper {

class TermiosDriverLine final : public DriverLine {
 public:
  std::optional<LineSettings> Taken(int fd) const override;
  std::optional<LineErrorCounts> Errors(int fd) const override;
};

}  // namespace hopper
