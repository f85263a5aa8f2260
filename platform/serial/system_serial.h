#pragma once
// The serial port and the device listing of the system the program is built for. The build
// compiles one implementation: Qt's serial port module on Linux, the Win32 calls on Windows.

#include <QString>
#include <memory>

#include "platform/serial/serial_device_list.h"
#include "platform/serial/serial_port.h"

namespace hopper {

// A port that opens the device its number stands for; given a `device`, that device instead,
// without the port-number rule.
std::unique_ptr<SerialPort> MakeSystemSerialPort(const QString& device = {});

// The machine's own serial devices.
std::shared_ptr<const DeviceListing> MakeSystemDeviceListing();

}  // namespace hopper
