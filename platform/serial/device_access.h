#pragma once
// Whether this user may open a serial device and whether another program holds it, for the
// port assignment window.

#include <QString>

namespace hopper {

struct DeviceAccess {
  bool mayOpen = true;
  QString group;      // the group owning a device this user may not open
  qint64 holder = 0;  // the process that holds the device's lock file or lock; 0 when none does
};

DeviceAccess AccessOf(const QString& path);

// Takes the lock that terminal programs such as picocom take on an open device (flock), on the
// open descriptor `fd`; it goes with the descriptor's close. False when another open of the
// device holds it. Always true where there is no such lock.
bool LockOpenDevice(int fd);

// Who holds `device` by its lock file or lock, as "picocom (process 4711)"; empty when the
// system does not tell.
QString DeviceHolderText(const QString& device);

// The one command that lets this user open the devices of `group`; log out and in afterwards.
QString GrantCommand(const QString& group);

}  // namespace hopper
