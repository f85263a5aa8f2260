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

// Qt's port listing, with the stable names from a folder of links such as /dev/serial/by-id.
// A link there whose device Qt does not list (a pseudo-terminal standing in for an adapter)
// is listed as an adapter of its own.
class QtDeviceListing final : public DeviceListing {
 public:
  explicit QtDeviceListing(QString stableFolder = DefaultStableFolder());
  std::vector<SerialDevice> List() const override;

  // "/dev/serial/by-id" on Linux; empty where there is no such folder.
  static QString DefaultStableFolder();
  const QString& StableFolder() const { return stableFolder_; }

 private:
  QString stableFolder_;
};

// The built-in port number a system name keeps: /dev/ttyS0 is 1, COM3 is 3; 0 for any other.
int ClassicNumberOf(const QString& systemPath);

}  // namespace hopper
