#pragma once
// Whether this user may open a serial device and whether another program holds it, for the
// port assignment window.

#include <QString>

namespace hopper {

struct DeviceAccess {
  bool mayOpen = true;
  QString group;     // the group owning a device this user may not open
  qint64 holder = 0;  // the process that holds the device's lock file; 0 when none does
};

DeviceAccess AccessOf(const QString& path);

// The one command that lets this user open the devices of `group`; log out and in afterwards.
QString GrantCommand(const QString& group);

}  // namespace hopper
