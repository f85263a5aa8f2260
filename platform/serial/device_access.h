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

struct DeviceHolder {
  qint64 pid = 0;    // 0 when nobody holds the device this way
  QString lockFile;  // the lock file naming it, when that is how it holds it
};

// The process that holds the real device `device` by its lock file or lock. The lock folders
// and /proc are looked up under `root` ("" is the system's own; tests give a tree of their own).
DeviceHolder HolderOf(const QString& device, const QString& root = {});

// The command name of process `pid` from <root>/proc; empty when it cannot be read.
QString ProcessName(qint64 pid, const QString& root = {});

// The one command that lets this user open the devices of `group`; log out and in afterwards.
QString GrantCommand(const QString& group);

}  // namespace hopper
