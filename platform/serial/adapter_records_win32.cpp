#include "platform/serial/adapter_records_win32.h"

#include <QString>
#include <set>

// clang-format off
#include <windows.h>
#include <initguid.h>  // the Ports class GUID is defined here, not taken from a library
#include <devguid.h>
#include <setupapi.h>
#include <cfgmgr32.h>
// clang-format on

namespace hopper {

namespace {

std::string Narrow(const wchar_t* text) { return QString::fromWCharArray(text).trimmed().toStdString(); }

std::string Property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t text[512] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, reinterpret_cast<BYTE*>(text),
                                         sizeof(text) - sizeof(wchar_t), nullptr) ||
      type != REG_SZ)
    return {};
  return Narrow(text);
}

std::string Value(HKEY key, const wchar_t* name) {
  wchar_t text[256] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);  // room for the terminator the registry may leave out
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  return Narrow(text);
}

// `name` of the device's hardware key (DIREG_DEV) or its driver's key (DIREG_DRV); empty when
// the device has none, as one without a driver has no driver key.
std::string KeyValue(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD which, const wchar_t* name) {
  HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, which, KEY_QUERY_VALUE);
  if (key == INVALID_HANDLE_VALUE) return {};
  std::string value = Value(key, name);
  RegCloseKey(key);
  return value;
}

AdapterRecord RecordOf(HDEVINFO set, SP_DEVINFO_DATA& device, const std::string& instanceId) {
  AdapterRecord adapter;
  adapter.instanceId = instanceId;
  adapter.description = Property(set, device, SPDRP_FRIENDLYNAME);
  if (adapter.description.empty()) adapter.description = Property(set, device, SPDRP_DEVICEDESC);
  adapter.port = KeyValue(set, device, DIREG_DEV, L"PortName");
  adapter.driverProvider = KeyValue(set, device, DIREG_DRV, L"ProviderName");
  adapter.driverVersion = KeyValue(set, device, DIREG_DRV, L"DriverVersion");
  ULONG status = 0;
  ULONG problem = 0;
  if (CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) == CR_SUCCESS && (status & DN_HAS_PROBLEM))
    adapter.problemCode = static_cast<int>(problem);
  return adapter;
}

// The present devices of `set` that `wanted` accepts by their instance id, each once.
void Gather(HDEVINFO set, bool (*wanted)(const std::string&), std::set<std::string>& seen,
            std::vector<AdapterRecord>& records) {
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
    wchar_t instance[512] = {};
    if (!SetupDiGetDeviceInstanceIdW(set, &device, instance, std::size(instance) - 1, nullptr)) continue;
    const std::string id = Narrow(instance);
    if (!wanted(id) || !seen.insert(id).second) continue;
    records.push_back(RecordOf(set, device, id));
  }
  SetupDiDestroyDeviceInfoList(set);
}

bool AnyPort(const std::string&) { return true; }

bool SerialChip(const std::string& instanceId) {
  const std::optional<UsbIds> ids = UsbIdsOfInstance(instanceId);
  return ids && IsSerialChipVendor(ids->vendor);
}

}  // namespace

std::vector<AdapterRecord> AdapterRecords() {
  std::vector<AdapterRecord> records;
  std::set<std::string> seen;
  Gather(SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT), &AnyPort, seen, records);
  // A chip that no driver took (or whose product id was changed) is in no class at all.
  Gather(SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT), &SerialChip, seen, records);
  return records;
}

}  // namespace hopper
