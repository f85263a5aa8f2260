#pragma once
// What tells one serial adapter apart from another: the path its port opened, and the stable
// name and USB serial number that survive a replug.

#include <QString>

namespace hopper {

struct DeviceIdentity {
  QString path;          // the path the port opened, as given (an assignment, a stable name)
  QString stablePath;    // its stable name, when it has one
  QString serialNumber;  // its USB serial number, when it has one
  bool IsEmpty() const { return path.isEmpty(); }
};

}  // namespace hopper
