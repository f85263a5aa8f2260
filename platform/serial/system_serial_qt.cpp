#include "platform/serial/qt_device_listing.h"
#include "platform/serial/qt_serial_port.h"
#include "platform/serial/system_serial.h"

namespace hopper {

std::unique_ptr<SerialPort> MakeSystemSerialPort(const QString& device) {
  auto port = std::make_unique<QtSerialPort>();
  port->SetDevice(device);
  return port;
}

std::shared_ptr<const DeviceListing> MakeSystemDeviceListing() { return std::make_shared<QtDeviceListing>(); }

}  // namespace hopper
