#include "platform/serial/registry_device_listing.h"

#include <QRegularExpression>
#include <map>

// clang-format off
#include <windows.h>
#include <initguid.h>  // the Ports class GUID is defined here, not taken from a library
#include <devguid.h>
#include <setupapi.h>
// clang-format on

namespace hopper {

namespace {

QString FromWide(const wchar_t* text) { return QString::fromWCharArray(text); }

// The port names of the device map: each value's data is a name such as "COM7".
std::vector<QString> MappedPortNames() {
  std::vector<QString> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return names;
  for (DWORD index = 0;; ++index) {
    wchar_t valueName[256];
    DWORD valueNameSize = std::size(valueName);
    wchar_t data[256] = {};
    DWORD dataSize = sizeof(data) - sizeof(wchar_t);  // room for the terminator the registry may leave out
    DWORD type = 0;
    const LONG status =
        RegEnumValueW(key, index, valueName, &valueNameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_SZ) continue;
    const QString name = FromWide(data).trimmed();
    if (!name.isEmpty()) names.push_back(name);
  }
  RegCloseKey(key);
  return names;
}

QString DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t text[512] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, reinterpret_cast<BYTE*>(text),
                                         sizeof(text) - sizeof(wchar_t), nullptr) ||
      type != REG_SZ)
    return {};
  return FromWide(text);
}

QString PortNameOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t name[64] = {};
  DWORD size = sizeof(name) - sizeof(wchar_t);
  DWORD type = 0;
  const bool found =
      RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS &&
      type == REG_SZ;
  RegCloseKey(key);
  return found ? FromWide(name).trimmed() : QString();
}

// The details of the adapters present in the Ports class, by port name.
std::map<QString, PortDetails> PortClassDetails() {
  std::map<QString, PortDetails> details;
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return details;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
    const QString name = PortNameOf(set, device);
    if (name.isEmpty()) continue;
    PortDetails& entry = details[name.toUpper()];
    entry.friendlyName = DeviceProperty(set, device, SPDRP_FRIENDLYNAME);
    entry.maker = DeviceProperty(set, device, SPDRP_MFG);
    wchar_t instance[512] = {};
    if (SetupDiGetDeviceInstanceIdW(set, &device, instance, std::size(instance) - 1, nullptr))
      entry.instanceId = FromWide(instance);
  }
  SetupDiDestroyDeviceInfoList(set);
  return details;
}

}  // namespace

SerialDevice DeviceOfPort(const QString& name, const PortDetails& details) {
  SerialDevice device;
  device.systemPath = name.toStdString();
  device.classicNumber = ClassicNumberOf(name);
  static const QRegularExpression tail(QStringLiteral("\\s*\\(COM\\d+\\)$"), QRegularExpression::CaseInsensitiveOption);
  device.description = QString(details.friendlyName).remove(tail).toStdString();
  device.maker = details.maker.toStdString();
  // USB\VID_0403&PID_6001\A50285BI: the last part is the adapter's serial number unless Windows
  // made one up (then it holds '&').
  static const QRegularExpression usb(QStringLiteral("VID_([0-9A-F]{4})&PID_([0-9A-F]{4})(?:[^\\\\]*)\\\\([^\\\\]*)$"),
                                      QRegularExpression::CaseInsensitiveOption);
  if (const QRegularExpressionMatch match = usb.match(details.instanceId); match.hasMatch()) {
    device.vendorId = match.captured(1).toInt(nullptr, 16);
    device.productId = match.captured(2).toInt(nullptr, 16);
    if (const QString serial = match.captured(3); !serial.contains(QLatin1Char('&')))
      device.serialNumber = serial.toStdString();
  }
  return device;
}

std::vector<SerialDevice> RegistryDeviceListing::List() const {
  const std::map<QString, PortDetails> details = PortClassDetails();
  std::vector<SerialDevice> devices;
  for (const QString& name : MappedPortNames()) {
    const auto found = details.find(name.toUpper());
    devices.push_back(DeviceOfPort(name, found == details.end() ? PortDetails{} : found->second));
  }
  return devices;
}

}  // namespace hopper
