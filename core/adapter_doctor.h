#pragma once
// What stands between the tool and a USB serial adapter on a Windows machine, from what Windows
// keeps about the adapter: its USB ids, its driver's provider and version, the device's problem
// code. The adapters technicians meet broken there: a WCH CH340 with the driver versions 3.8 and
// 3.9 that Windows Update brings, a Prolific PL2303 HXA/TA that the driver for Windows 11 refuses,
// a counterfeit FTDI chip whose product id a driver set to 0000, and any device Windows stopped.

#include <optional>
#include <string>
#include <vector>

#include "core/port_findings.h"

namespace hopper {

// One adapter as Windows describes it (Device Manager, pnputil /enum-devices /drivers).
struct AdapterRecord {
  std::string port;            // "COM4"; empty when the device has no port (no driver, stopped)
  std::string instanceId;      // "USB\VID_1A86&PID_7523\5&2D3B5C5E&0&2"
  std::string description;     // "USB-SERIAL CH340 (COM5)"
  std::string driverProvider;  // "wch.cn"
  std::string driverVersion;   // "3.8.2023.2"
  int problemCode = 0;         // Device Manager's code; 0 when the device works
};

struct UsbIds {
  int vendor = -1;
  int product = -1;
};

// The vendor and product of a USB instance id ("USB\VID_067B&PID_2303\..."), if it names them.
std::optional<UsbIds> UsbIdsOfInstance(const std::string& instanceId);

// Whether `vendor` makes the chips of most USB serial adapters (FTDI, Silicon Labs, WCH,
// Prolific): such a device is looked at even when Windows has no driver for it.
bool IsSerialChipVendor(int vendor);

// Device Manager's words for a problem code, and what usually helps; a code it has no words for
// is named by its number.
std::string ProblemCodeWords(int problemCode);
std::string ProblemCodeRemedy(int problemCode);

// What stands in the way of using `adapter`: at most one finding, the first rule that matches;
// none when the adapter looks sound.
std::vector<PortFinding> AdapterFindings(const AdapterRecord& adapter);

}  // namespace hopper
