#include "core/port_findings.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace hopper {

namespace {

struct UsbId {
  int vendor;
  int product;
};

// FTDI, Silicon Labs, WCH and Prolific converters: the chips in most USB serial adapters, and
// the ones a braille-display service claims because some displays use them too.
constexpr std::array kConverterChips{
    UsbId{0x0403, 0x6001}, UsbId{0x0403, 0x6010}, UsbId{0x0403, 0x6011}, UsbId{0x0403, 0x6014},
    UsbId{0x0403, 0x6015}, UsbId{0x10c4, 0xea60}, UsbId{0x10c4, 0xea70}, UsbId{0x10c4, 0xea71},
    UsbId{0x1a86, 0x7523}, UsbId{0x1a86, 0x55d4}, UsbId{0x067b, 0x2303}, UsbId{0x067b, 0x23a3},
};

std::string Hex4(int value) {
  char text[8] = {};
  std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value) & 0xffffu);
  return text;
}

bool LookAlike(const SerialDevice& a, const SerialDevice& b) {
  return a.vendorId == b.vendorId && a.productId == b.productId && a.serialNumber == b.serialNumber &&
         a.maker == b.maker && a.description == b.description;
}

}  // namespace

std::string UsbIdText(int vendorId, int productId) { return Hex4(vendorId) + ":" + Hex4(productId); }

PortFinding HeldFinding(const std::string& device, const std::string& process, std::int64_t pid,
                        const std::string& lockFile) {
  const std::string number = "process " + std::to_string(pid);
  const std::string who = process.empty() ? number : process + " (" + number + ")";
  PortFinding f{FindingKind::Held, device, {}, {}};
  f.meaning = "Held by " + who + (lockFile.empty() ? "" : ", by its lock file " + lockFile) +
              ": bytes from the hopper go to whichever program reads first.";
  f.todo = "Close that program, or end it with: kill " + std::to_string(pid);
  return f;
}

PortFinding ModemManagerFinding(const std::string& device, int vendorId, int productId) {
  PortFinding f{FindingKind::ModemManager, device, {}, {}};
  f.meaning =
      "ModemManager is running and may send AT commands to this device when it appears, which the hopper takes "
      "as garbage and the port as busy.";
  f.todo = "Tell it to leave the adapter alone: echo 'ATTRS{idVendor}==\"" + Hex4(vendorId) +
           "\", ATTRS{idProduct}==\"" + Hex4(productId) +
           "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee /etc/udev/rules.d/99-hopper-no-modem.rules"
           " && sudo udevadm control --reload, then unplug the adapter and plug it in again.";
  return f;
}

PortFinding BrailleFinding(const std::string& usbDevice, const std::string& product, int vendorId, int productId,
                           std::int64_t pid) {
  PortFinding f{FindingKind::BrailleService, "USB " + usbDevice, {}, {}};
  f.meaning = "The USB serial converter " + UsbIdText(vendorId, productId) +
              (product.empty() ? "" : " (" + product + ")") +
              " is plugged in but has no serial device: the braille-display service brltty (process " +
              std::to_string(pid) + ") took it.";
  f.todo =
      "Without a braille display, stop and disable it: sudo systemctl mask --now brltty-udev.service brltty.service "
      "(or remove it: sudo apt remove brltty), then unplug the adapter and plug it in again.";
  return f;
}

PortFinding SharedStableNameFinding(const SerialDevice& device) {
  PortFinding f{FindingKind::SharedStableName, device.systemPath, {}, {}};
  f.meaning = "Another adapter of the same kind (" + UsbIdText(device.vendorId, device.productId) +
              (device.serialNumber.empty() ? ", no serial number" : ", the same serial number") +
              ") is plugged in: both have one name under /dev/serial/by-id, which leads to whichever came last.";
  f.todo = device.portPath.empty() ? "Assign the device by its system name and keep only one such adapter plugged in."
                                   : "Assign it by its USB path " + device.portPath +
                                         ", which stays while it stays in the same USB socket.";
  return f;
}

bool IsSerialConverterChip(int vendorId, int productId) {
  return std::any_of(kConverterChips.begin(), kConverterChips.end(),
                     [&](const UsbId& id) { return id.vendor == vendorId && id.product == productId; });
}

bool SharesStableName(const SerialDevice& device, const std::vector<SerialDevice>& devices) {
  if (device.vendorId < 0 || device.productId < 0) return false;
  return std::any_of(devices.begin(), devices.end(), [&](const SerialDevice& other) {
    return other.systemPath != device.systemPath && LookAlike(device, other);
  });
}

std::string DependablePath(const SerialDevice& device, const std::vector<SerialDevice>& devices) {
  if (device.stablePath.empty()) return device.systemPath;
  if (!SharesStableName(device, devices)) return device.stablePath;
  return device.portPath.empty() ? device.systemPath : device.portPath;
}

std::string FindingText(const PortFinding& finding) { return finding.meaning + " What to do: " + finding.todo; }

}  // namespace hopper
