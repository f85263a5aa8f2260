#include "core/adapter_doctor.h"

#include <array>
#include <cctype>
#include <string_view>

namespace hopper {

namespace {

constexpr int kAny = -1;

// A known way an adapter fails on Windows. A field set to kAny (or nullptr) matches anything;
// the first rule that matches gives the finding.
struct AdapterRule {
  FindingKind kind;
  int vendor;
  int product;
  const char* versionPrefix;  // the driver's version starts so
  int problemCode;
  const char* meaning;
  const char* todo;
};

constexpr const char* kCh340Meaning =
    "WCH's CH340 driver %v (the 3.8 and 3.9 versions Windows Update installs) breaks this adapter: the port "
    "opens but refuses its line settings, or answers \"access denied\".";
constexpr const char* kCh340Todo =
    "Roll the driver back to 3.5.2019.1: Device Manager > Ports (COM & LPT) > the CH340 > Properties > Driver > "
    "Roll Back Driver; where that is greyed out: Update driver > Browse my computer > Let me pick from a list > "
    "the 3.5.2019.1 entry (install WCH's CH341SER 3.5 first if none is listed). Then keep Windows Update from "
    "bringing the new one back: System > About > Advanced system settings > Hardware > Device Installation "
    "Settings > No. Unplug the adapter and plug it in again.";

constexpr const char* kPl2303Meaning =
    "A Prolific PL2303 HXA or TA chip: Prolific's driver for Windows 11 no longer drives it and stops the device "
    "(code 10, \"PL2303HXA Phased out since 2012\").";
constexpr const char* kPl2303Todo =
    "Use an adapter with another chip (FTDI, Silicon Labs CP210x, a PL2303 GT/GS or a CH340). Prolific's older "
    "driver (3.3.x) still drives the chip, installed and kept at the user's own risk: Update driver > Browse my "
    "computer > Let me pick from a list.";

constexpr const char* kFtdiMeaning =
    "The adapter reports FTDI's vendor id with product id 0000: a counterfeit FTDI chip that an FTDI driver "
    "disabled by writing 0000 over its product id. No driver takes it as a serial port.";
constexpr const char* kFtdiTodo =
    "Use another adapter. Writing the product id 6001 back into the chip with a programming tool works for some "
    "of these chips, at the user's own risk.";

constexpr std::array kRules{
    AdapterRule{FindingKind::BrokenDriver, 0x1a86, 0x7523, "3.8.", kAny, kCh340Meaning, kCh340Todo},
    AdapterRule{FindingKind::BrokenDriver, 0x1a86, 0x7523, "3.9.", kAny, kCh340Meaning, kCh340Todo},
    AdapterRule{FindingKind::BrokenDriver, 0x1a86, 0x5523, "3.8.", kAny, kCh340Meaning, kCh340Todo},
    AdapterRule{FindingKind::BrokenDriver, 0x1a86, 0x5523, "3.9.", kAny, kCh340Meaning, kCh340Todo},
    AdapterRule{FindingKind::UnsupportedChip, 0x067b, 0x2303, nullptr, 10, kPl2303Meaning, kPl2303Todo},
    AdapterRule{FindingKind::CounterfeitChip, 0x0403, 0x0000, nullptr, kAny, kFtdiMeaning, kFtdiTodo},
};

struct ProblemWords {
  int code;
  const char* words;
  const char* remedy;
};

constexpr const char* kReinstall =
    "Unplug the adapter and plug it in again; if that does not help, Device Manager > the device > Uninstall "
    "device, then plug it in again or install the adapter maker's driver.";

// Device Manager's codes a serial adapter shows, in its own words.
constexpr std::array kProblemWords{
    ProblemWords{1, "This device is not configured correctly (code 1).", kReinstall},
    ProblemWords{3, "The driver for this device might be corrupted, or the system is low on memory (code 3).",
                 kReinstall},
    ProblemWords{10, "This device cannot start (code 10).", kReinstall},
    ProblemWords{12, "This device cannot find enough free resources (code 12).", kReinstall},
    ProblemWords{14, "This device cannot work properly until the computer is restarted (code 14).",
                 "Restart the computer."},
    ProblemWords{18, "The drivers for this device need to be reinstalled (code 18).", kReinstall},
    ProblemWords{19, "The device's configuration in the registry is incomplete or damaged (code 19).", kReinstall},
    ProblemWords{21, "Windows is removing this device (code 21).", "Wait a moment and look again."},
    ProblemWords{22, "This device is disabled (code 22).",
                 "Device Manager > the device > Enable device (right-click)."},
    ProblemWords{24, "This device is not present, not working, or lacks a driver (code 24).", kReinstall},
    ProblemWords{28, "The drivers for this device are not installed (code 28).",
                 "Install the adapter maker's driver, then unplug the adapter and plug it in again."},
    ProblemWords{29, "This device is disabled because its firmware gave it no resources (code 29).", kReinstall},
    ProblemWords{31, "Windows cannot load the drivers this device needs (code 31).", kReinstall},
    ProblemWords{32, "A driver (service) for this device has been disabled (code 32).", kReinstall},
    ProblemWords{37, "Windows cannot initialize the device driver (code 37).", kReinstall},
    ProblemWords{39, "Windows cannot load the device driver; it may be corrupted or missing (code 39).", kReinstall},
    ProblemWords{43, "Windows has stopped this device because it has reported problems (code 43).",
                 "Unplug the adapter and plug it in again, into another USB socket; if it stays, the adapter or "
                 "its cable is faulty."},
    ProblemWords{45, "This device is not connected to the computer now (code 45).", "Plug the adapter in."},
    ProblemWords{48, "Windows blocked this device's driver because it is known to have problems (code 48).",
                 "Install a newer driver from the adapter's maker."},
    ProblemWords{52, "Windows cannot verify the digital signature of this device's driver (code 52).",
                 "Install a signed driver from the adapter's maker."},
};

const ProblemWords* WordsFor(int code) {
  for (const ProblemWords& entry : kProblemWords)
    if (entry.code == code) return &entry;
  return nullptr;
}

bool StartsWith(std::string_view text, const char* prefix) {
  return prefix == nullptr || text.substr(0, std::string_view(prefix).size()) == prefix;
}

bool Matches(const AdapterRule& rule, const AdapterRecord& adapter, const UsbIds& ids) {
  return (rule.vendor == kAny || rule.vendor == ids.vendor) && (rule.product == kAny || rule.product == ids.product) &&
         StartsWith(adapter.driverVersion, rule.versionPrefix) &&
         (rule.problemCode == kAny || rule.problemCode == adapter.problemCode);
}

// "%v" stands for the driver's version.
std::string Filled(std::string text, const std::string& version) {
  if (const std::size_t at = text.find("%v"); at != std::string::npos) text.replace(at, 2, version);
  return text;
}

// The port, else the device's name, else its instance id: what the technician sees it as.
std::string ShownAs(const AdapterRecord& adapter) {
  if (!adapter.port.empty()) return adapter.port;
  return adapter.description.empty() ? adapter.instanceId : adapter.description;
}

int HexValue(std::string_view digits) {
  int value = 0;
  for (char c : digits) {
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : std::isxdigit(static_cast<unsigned char>(c))
                          ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                          : -1;
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// The four hex digits after `key` ("VID_") in `upper`, or -1.
int IdAfter(const std::string& upper, std::string_view key) {
  const std::size_t at = upper.find(key);
  if (at == std::string::npos || upper.size() < at + key.size() + 4) return -1;
  return HexValue(std::string_view(upper).substr(at + key.size(), 4));
}

}  // namespace

std::optional<UsbIds> UsbIdsOfInstance(const std::string& instanceId) {
  std::string upper = instanceId;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const UsbIds ids{IdAfter(upper, "VID_"), IdAfter(upper, "PID_")};
  if (ids.vendor < 0 || ids.product < 0) return std::nullopt;
  return ids;
}

bool IsSerialChipVendor(int vendor) {
  return vendor == 0x0403 || vendor == 0x10c4 || vendor == 0x1a86 || vendor == 0x067b;
}

std::string ProblemCodeWords(int problemCode) {
  if (const ProblemWords* entry = WordsFor(problemCode)) return entry->words;
  return "Windows reports problem code " + std::to_string(problemCode) + " for this device.";
}

std::string ProblemCodeRemedy(int problemCode) {
  if (const ProblemWords* entry = WordsFor(problemCode)) return entry->remedy;
  return kReinstall;
}

std::vector<PortFinding> AdapterFindings(const AdapterRecord& adapter) {
  const UsbIds ids = UsbIdsOfInstance(adapter.instanceId).value_or(UsbIds{});
  for (const AdapterRule& rule : kRules) {
    if (!Matches(rule, adapter, ids)) continue;
    return {PortFinding{rule.kind, ShownAs(adapter), Filled(rule.meaning, adapter.driverVersion), rule.todo}};
  }
  if (adapter.problemCode == 0) return {};
  return {PortFinding{FindingKind::DeviceProblem, ShownAs(adapter), ProblemCodeWords(adapter.problemCode),
                      ProblemCodeRemedy(adapter.problemCode)}};
}

}  // namespace hopper
