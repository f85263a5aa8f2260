#pragma once
// What the driver of an open serial device made of the line settings it was given, and the
// line errors it counted, behind an interface so tests can play an adapter that drops parity.

#include <optional>

#include "core/line_check.h"
#include "core/line_settings.h"

namespace hopper {

class DriverLine {
 public:
  virtual ~DriverLine() = default;
  // The settings in force on the open descriptor `fd`; none when the driver does not tell, or
  // for a pseudo-terminal, which keeps whatever it is given without a line behind it.
  virtual std::optional<LineSettings> Taken(int fd) const = 0;
  // The parity and framing errors counted since the device was opened; none where not counted.
  virtual std::optional<LineErrorCounts> Errors(int fd) const = 0;
};

}  // namespace hopper
