#pragma once
// A device listing a test fills: adapters appear, vanish and change names at its word.

#include "platform/serial/serial_device_list.h"

namespace hopper::test {

class FakeDeviceListing final : public DeviceListing {
 public:
  std::vector<SerialDevice> List() const override { return devices; }

  // An adapter at `path` (a pseudo-terminal, say), with a stable name and serial number if given.
  void AddAdapter(const QString& path, const QString& stable = {}, const QString& serial = {}) {
    SerialDevice device;
    device.systemPath = path.toStdString();
    device.stablePath = stable.toStdString();
    device.serialNumber = serial.toStdString();
    device.description = "USB serial adapter";
    devices.push_back(device);
  }

  std::vector<SerialDevice> devices;
};

}  // namespace hopper::test
