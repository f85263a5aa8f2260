#pragma once
// The machine's COM ports as Windows lists them: every port in the registry's device map
// (HARDWARE\DEVICEMAP\SERIALCOMM), numbers above 4 included, with the adapter's name and maker
// from the Ports device class where it has an entry there. Each is listed under its own name
// ("COM7"), which is also its port number.

#include <QString>
#include <vector>

#include "platform/serial/serial_device_list.h"

namespace hopper {

// What the Ports device class says about one adapter.
struct PortDetails {
  QString friendlyName;  // "USB Serial Port (COM7)"
  QString maker;
  QString instanceId;  // "USB\VID_0403&PID_6001\A50285BI"
};

class RegistryDeviceListing final : public DeviceListing {
 public:
  std::vector<SerialDevice> List() const override;
};

// The device of the port `name` with what its details say: USB identifiers and serial number
// from the instance id, the friendly name without its " (COMn)" tail as the description.
SerialDevice DeviceOfPort(const QString& name, const PortDetails& details);

}  // namespace hopper
