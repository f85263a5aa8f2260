#include "platform/serial/port_resolver.h"

#include "platform/files/settings_store.h"
#include "platform/serial/serial_device_list.h"
#include "platform/serial/system_serial.h"

namespace hopper {

PortResolution ResolvePortNumber(int portNumber, const std::vector<SerialDevice>& devices) {
#ifdef Q_OS_WIN
  // Windows numbers every port itself; an assignment may still send a number elsewhere.
  const PortEntries entries = SettingsStore().MappedDevices();
  if (!entries.contains(portNumber) && portNumber >= 1 && portNumber <= kHighestPortNumber)
    return {"COM" + std::to_string(portNumber), "Windows port name", {}};
  return ResolvePort(portNumber, entries, devices);
#else
  return ResolvePort(portNumber, SettingsStore().MappedDevices(), devices);
#endif
}

PortResolution ResolvePortNumber(int portNumber, const DeviceListing& listing) {
  return ResolvePortNumber(portNumber, listing.List());
}

PortResolution ResolvePortNumber(int portNumber) { return ResolvePortNumber(portNumber, *MakeSystemDeviceListing()); }

QString DescribeResolution(int portNumber, const PortResolution& resolution) {
  if (resolution.device.empty()) return QString::fromStdString(resolution.refusal);
  return QStringLiteral("COM%1: %2 (%3)")
      .arg(portNumber)
      .arg(QString::fromStdString(resolution.device), QString::fromStdString(resolution.how));
}

}  // namespace hopper
