#pragma once
// Which serial device a port number stands for. A stored assignment always wins; without one,
// built-in ports keep their classic numbers and the adapters nobody assigned take the free
// numbers from COM1 up, in the order of their names. So a laptop with one USB adapter and no
// built-in port reaches the adapter on COM1 with nothing set up.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hopper {

inline constexpr int kHighestPortNumber = 255;

// One serial device of the machine, as the platform lists it.
struct SerialDevice {
  std::string systemPath;  // "/dev/ttyUSB0"; "COM3" on Windows
  std::string stablePath;  // "/dev/serial/by-id/usb-…": survives replugging; empty when none
  std::string description;
  std::string maker;
  std::string serialNumber;
  int vendorId = -1;  // USB vendor and product; -1 when not known
  int productId = -1;
  int classicNumber = 0;  // a built-in port that keeps its number (ttyS0 is 1, COM3 is 3); 0 for adapters
  std::string portPath;   // "/dev/serial/by-path/…": the USB socket it is plugged into; empty when none
};

// The stored assignments: port number -> the text stored for it (which may be empty or junk).
using PortEntries = std::map<int, std::string>;

struct PortResolution {
  std::string device;   // what to open; empty when refused
  std::string how;      // why this device, in a few words
  std::string refusal;  // why there is nothing to open; empty when `device` is set
};

// `number` is 1..kHighestPortNumber; anything else is refused.
PortResolution ResolvePort(int number, const PortEntries& entries, const std::vector<SerialDevice>& devices);

// Why a stored assignment cannot be used (empty, not a device path), or nothing when it can.
std::optional<std::string> EntryProblem(int number, const std::string& value);

// "COM3", "com3" or "3" as a port number 1..kHighestPortNumber; spaces around are ignored.
std::optional<int> ParsePortName(std::string_view text);
// The stored "COMPORT": a bare whole number 0..kHighestPortNumber (0 names no port, but is a
// number); spaces around are ignored.
std::optional<int> ParseStoredPortNumber(std::string_view text);

// The devices nobody assigned, in the order they take the free numbers.
std::vector<SerialDevice> UnassignedAdapters(const PortEntries& entries, const std::vector<SerialDevice>& devices);

}  // namespace hopper
