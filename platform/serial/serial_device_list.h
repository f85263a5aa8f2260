#pragma once
// The serial devices this machine has, behind an interface so tests can make adapters
// appear, vanish and change their names.

#include <QString>
#include <vector>

#include "core/port_resolution.h"

namespace hopper {

class DeviceListing {
 public:
  virtual ~DeviceListing() = default;
  virtual std::vector<SerialDevice> List() const = 0;
};

// The built-in port number a system name keeps: /dev/ttyS0 is 1, COM3 is 3; 0 for any other.
int ClassicNumberOf(const QString& systemPath);

}  // namespace hopper
