#pragma once
// Waits for a serial device that went away to come back: the same path (never a
// pseudo-terminal's number, which the next terminal takes), the same stable name or the same
// USB serial number. Costs nothing while the port works, since it runs only after
// a loss: then a look at one or two paths once a second, and a look at the device listing when
// the folder of the device changes.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <memory>

#include "platform/serial/device_identity.h"
#include "platform/serial/serial_device_list.h"

namespace hopper {

// The identity of `path` among `devices`.
DeviceIdentity IdentityOf(const QString& path, const std::vector<SerialDevice>& devices);

class ReplugWatch final : public QObject {
  Q_OBJECT
 public:
  static constexpr int kCheckIntervalMs = 1000;

  ReplugWatch(std::shared_ptr<const DeviceListing> listing, QObject* parent = nullptr);

  // Starts watching for `identity`, or goes on watching after a reopen that failed.
  void Watch(const DeviceIdentity& identity);
  void Stop();
  bool IsWatching() const { return timer_.isActive(); }

  // Whether the device is present in `devices` or at its own path.
  static bool IsPresent(const DeviceIdentity& identity, const std::vector<SerialDevice>& devices);

 signals:
  // The device is back; the watch has stopped. Watch() again if it cannot be opened yet.
  void Returned();

 private:
  void CheckPaths();
  void CheckListing();
  void Found();
  void FollowFolders();

  std::shared_ptr<const DeviceListing> listing_;
  DeviceIdentity identity_;
  QTimer timer_;
  QFileSystemWatcher folders_;
};

}  // namespace hopper
