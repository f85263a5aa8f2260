#pragma once
// Which device a port number stands for on this machine now: the stored "Ports/COMn" entry,
// else the first-start rule over the devices the machine has.

#include <QString>
#include <vector>

#include "core/port_resolution.h"
#include "platform/serial/serial_port.h"

namespace hopper {

class DeviceListing;

// The resolution by the user's settings and the given devices.
PortResolution ResolvePortNumber(int portNumber, const std::vector<SerialDevice>& devices);
// The same over the machine's own device listing.
PortResolution ResolvePortNumber(int portNumber, const DeviceListing& listing);
PortResolution ResolvePortNumber(int portNumber);

// Opens the device given by its path as it is, else the one `portNumber` resolves to, through
// `openDevice` (the port's own opening of one device path); a number that resolves to nothing
// is an invalid port.
template <typename OpenDevice>
OpenOutcome OpenByPathOrNumber(const QString& device, int portNumber, const DeviceListing& listing,
                               OpenDevice openDevice) {
  if (!device.isEmpty()) return openDevice(device);
  const PortResolution resolution = ResolvePortNumber(portNumber, listing);
  if (resolution.device.empty())
    return OpenOutcome{OpenResult::InvalidPort, {}, QString::fromStdString(resolution.refusal), {}};
  return openDevice(QString::fromStdString(resolution.device));
}

// "COM1: /dev/ttyUSB0 (the only serial adapter, not assigned)", or the refusal.
QString DescribeResolution(int portNumber, const PortResolution& resolution);

// What a port that holds `ownNumber`, or the device path `given`, says of `portNumber`: the
// device it stands for (the path given, for the port's own number), and that in one line.
QString DeviceForNumber(int portNumber, const QString& given, int ownNumber, const DeviceListing& listing);
QString ExplainNumber(int portNumber, const DeviceListing& listing);

}  // namespace hopper
