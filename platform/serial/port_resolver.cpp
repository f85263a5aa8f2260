#include "platform/serial/port_resolver.h"

#include "platform/files/settings_store.h"
#include "platform/serial/serial_device_list.h"
#include "platform/serial/system_serial.h"

namespace hopper {

namespace {

// `devices` is asked only when the number goes by the first-start rule: an assigned number, one
// that is no port number at all and (on Windows) a plain COMn are settled without the look at
// the machine's devices, which is the slowest step of opening a port.
template <typename Devices>
PortResolution Resolve(int portNumber, const Devices& devices) {
  const PortEntries entries = SettingsStore().MappedDevices();
  const bool inRange = portNumber >= 1 && portNumber <= kHighestPortNumber;
#ifdef Q_OS_WIN
  // Windows numbers every port itself; an assignment may still send a number elsewhere.
  if (!entries.contains(portNumber) && inRange) return {"COM" + std::to_string(portNumber), "Windows port name", {}};
#endif
  if (entries.contains(portNumber) || !inRange) return ResolvePort(portNumber, entries, {});
  return ResolvePort(portNumber, entries, devices());
}

}  // namespace

PortResolution ResolvePortNumber(int portNumber, const std::vector<SerialDevice>& devices) {
  return Resolve(portNumber, [&devices]() -> const std::vector<SerialDevice>& { return devices; });
}

PortResolution ResolvePortNumber(int portNumber, const DeviceListing& listing) {
  return Resolve(portNumber, [&listing] { return listing.List(); });
}

PortResolution ResolvePortNumber(int portNumber) { return ResolvePortNumber(portNumber, *MakeSystemDeviceListing()); }

QString DescribeResolution(int portNumber, const PortResolution& resolution) {
  if (resolution.device.empty()) return QString::fromStdString(resolution.refusal);
  return QStringLiteral("COM%1: %2 (%3)")
      .arg(portNumber)
      .arg(QString::fromStdString(resolution.device), QString::fromStdString(resolution.how));
}

QString DeviceForNumber(int portNumber, const QString& given, int ownNumber, const DeviceListing& listing) {
  if (!given.isEmpty() && portNumber == ownNumber) return given;
  return QString::fromStdString(ResolvePortNumber(portNumber, listing).device);
}

QString ExplainNumber(int portNumber, const DeviceListing& listing) {
  return DescribeResolution(portNumber, ResolvePortNumber(portNumber, listing));
}

}  // namespace hopper
