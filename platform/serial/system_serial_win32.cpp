#include "platform/serial/registry_device_listing.h"
#include "platform/serial/system_serial.h"
#include "platform/serial/win32_serial_port.h"

namespace hopper {

std::unique_ptr<SerialPort> MakeSystemSerialPort(const QString& device) {
  auto port = std::make_unique<Win32SerialPort>(MakeSystemDeviceListing());
  port->SetDevice(device);
  return port;
}

std::shared_ptr<const DeviceListing> MakeSystemDeviceListing() { return std::make_shared<RegistryDeviceListing>(); }

}  // namespace hopper
