#pragma once
// The machine's serial devices as Qt's serial port module lists them (Linux).

#include <QElapsedTimer>
#include <QString>

#include "platform/serial/serial_device_list.h"

namespace hopper {

// Qt's port listing, with the stable names from a folder of links such as /dev/serial/by-id
// and the USB paths from one such as /dev/serial/by-path.
// A link there whose device Qt does not list (a pseudo-terminal standing in for an adapter)
// is listed as an adapter of its own. One look at the system (some 15 ms) serves the calls that
// come within a tenth of a second of it: opening a port, naming it in the log and in its tool
// tip all ask at once.
class QtDeviceListing final : public DeviceListing {
 public:
  explicit QtDeviceListing(QString stableFolder = DefaultStableFolder(), QString pathFolder = DefaultPathFolder());
  std::vector<SerialDevice> List() const override;

  // "/dev/serial/by-id" on Linux; empty where there is no such folder.
  static QString DefaultStableFolder();
  // "/dev/serial/by-path" on Linux; empty where there is no such folder.
  static QString DefaultPathFolder();

 private:
  std::vector<SerialDevice> Look() const;

  QString stableFolder_;
  QString pathFolder_;
  mutable std::vector<SerialDevice> recent_;
  mutable QElapsedTimer recentAge_;
};

}  // namespace hopper
