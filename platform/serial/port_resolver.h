#pragma once
// Which device a port number stands for on this machine now: the stored "Ports/COMn" entry,
// else the first-start rule over the devices the machine has.

#include <QString>
#include <vector>

#include "core/port_resolution.h"

namespace hopper {

class DeviceListing;

// The resolution by the user's settings and the given devices.
PortResolution ResolvePortNumber(int portNumber, const std::vector<SerialDevice>& devices);
// The same over the machine's own device listing.
PortResolution ResolvePortNumber(int portNumber, const DeviceListing& listing);
PortResolution ResolvePortNumber(int portNumber);

// "COM1: /dev/ttyUSB0 (the only serial adapter, not assigned)", or the refusal.
QString DescribeResolution(int portNumber, const PortResolution& resolution);

}  // namespace hopper
