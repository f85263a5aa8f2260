#pragma once
// What stands between the tool and a serial device on a Linux machine, in plain words: another
// program holding it, a modem manager probing it, a braille-display service that took the
// adapter, two adapters sharing one stable name. The platform looks; these rules say what it
// means and what to do.

#include <cstdint>
#include <string>
#include <vector>

#include "core/port_resolution.h"

namespace hopper {

enum class FindingKind {
  Held,
  ModemManager,
  BrailleService,
  SharedStableName,
  // On Windows (core/adapter_doctor.h): a driver version known to break the adapter, a chip
  // the driver no longer drives, a counterfeit chip, any other device problem Windows reports.
  BrokenDriver,
  UnsupportedChip,
  CounterfeitChip,
  DeviceProblem,
};

struct PortFinding {
  FindingKind kind = FindingKind::Held;
  std::string device;   // the serial device, or the USB device that has none
  std::string meaning;  // what is wrong, in a sentence
  std::string todo;     // what to do about it
};

// "0403:6001"
std::string UsbIdText(int vendorId, int productId);

// `process` (`pid`) has the device open; `lockFile` is its lock file, when that is how it shows.
PortFinding HeldFinding(const std::string& device, const std::string& process, std::int64_t pid,
                        const std::string& lockFile);
// A running modem manager that has not been told to leave the device alone.
PortFinding ModemManagerFinding(const std::string& device, int vendorId, int productId);
// The USB serial converter `usbDevice` (its kernel name, "1-1.2") is plugged in without a tty:
// the braille-display service (`pid`) claimed it.
PortFinding BrailleFinding(const std::string& usbDevice, const std::string& product, int vendorId, int productId,
                           std::int64_t pid);
// `device` looks like another adapter to the system, so its stable name may lead to either.
PortFinding SharedStableNameFinding(const SerialDevice& device);

// A kind of chip that USB serial adapters are built with, and braille displays too.
bool IsSerialConverterChip(int vendorId, int productId);

// Whether another listed device looks the same as `device` (maker, model, serial number): then
// both get one name under /dev/serial/by-id, and it leads to whichever came last.
bool SharesStableName(const SerialDevice& device, const std::vector<SerialDevice>& devices);

// The path to store or open for `device`: its stable name, unless it shares that with another
// device; then its USB path, which stays as long as it stays in the same USB socket.
std::string DependablePath(const SerialDevice& device, const std::vector<SerialDevice>& devices);

// "meaning What to do: todo", for a tool tip or a line of text.
std::string FindingText(const PortFinding& finding);

}  // namespace hopper
