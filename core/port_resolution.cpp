#include "core/port_resolution.h"

#include "core/port_findings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>

namespace hopper {

namespace {

std::string ComName(int number) { return "COM" + std::to_string(number); }

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsDevicePath(std::string_view value) {
  if (value.starts_with("/")) return true;  // a device file, or a link to one
  if (value.starts_with("\\\\.\\")) value.remove_prefix(4);
  return ParsePortName(value).has_value() && (value[0] == 'C' || value[0] == 'c');
}

// Names with numbers in them sort as a technician reads them: ttyUSB2 before ttyUSB10.
bool NaturalLess(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
      std::size_t ei = i, ej = j;
      while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
      while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
      const std::string_view da = a.substr(i, ei - i), db = b.substr(j, ej - j);
      const auto na = da.substr(std::min(da.find_first_not_of('0'), da.size()));
      const auto nb = db.substr(std::min(db.find_first_not_of('0'), db.size()));
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ei;
      j = ej;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

bool NamedBy(const SerialDevice& device, const PortEntries& entries) {
  return std::any_of(entries.begin(), entries.end(), [&](const auto& entry) {
    const std::string value = Trimmed(entry.second);
    return !value.empty() && (value == device.systemPath || value == device.stablePath || value == device.portPath);
  });
}

// A built-in port keeps its number unless the technician gave the device to another number.
const SerialDevice* ClassicPort(int number, const PortEntries& entries, const std::vector<SerialDevice>& devices) {
  for (const SerialDevice& device : devices)
    if (device.classicNumber == number && !NamedBy(device, entries)) return &device;
  return nullptr;
}

}  // namespace

namespace {

std::string_view TrimmedView(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

// Decimal digits only, 0..kHighestPortNumber.
std::optional<int> PortDigits(std::string_view text) {
  if (text.empty() || text.size() > 3 || text.front() < '0' || text.front() > '9') return std::nullopt;
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number > kHighestPortNumber) return std::nullopt;
  return number;
}

}  // namespace

std::optional<int> ParsePortName(std::string_view text) {
  text = TrimmedView(text);
  const auto upper = [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); };
  if (text.size() > 3 && upper(text[0]) == 'C' && upper(text[1]) == 'O' && upper(text[2]) == 'M') text.remove_prefix(3);
  const std::optional<int> number = PortDigits(text);
  if (!number || *number < 1) return std::nullopt;
  return number;
}

std::optional<int> ParseStoredPortNumber(std::string_view text) { return PortDigits(TrimmedView(text)); }

std::optional<std::string> EntryProblem(int number, const std::string& value) {
  const std::string where = "The settings entry [Ports] " + ComName(number);
  const std::string trimmed = Trimmed(value);
  if (trimmed.empty()) return where + " is empty: assign a device to " + ComName(number) + " or remove the entry.";
  const bool control =
      std::any_of(trimmed.begin(), trimmed.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
  if (control || !IsDevicePath(trimmed))
    return where + " holds \"" + trimmed + "\", which is not a device path (such as /dev/ttyUSB0).";
  return std::nullopt;
}

std::vector<SerialDevice> UnassignedAdapters(const PortEntries& entries, const std::vector<SerialDevice>& devices) {
  std::vector<SerialDevice> adapters;
  for (const SerialDevice& device : devices)
    if (device.classicNumber == 0 && !NamedBy(device, entries)) adapters.push_back(device);
  // Adapters with a stable name first, by that name, so the order does not depend on which
  // was plugged in first; the others by their system name.
  std::sort(adapters.begin(), adapters.end(), [](const SerialDevice& a, const SerialDevice& b) {
    if (a.stablePath.empty() != b.stablePath.empty()) return !a.stablePath.empty();
    return a.stablePath.empty() ? NaturalLess(a.systemPath, b.systemPath) : NaturalLess(a.stablePath, b.stablePath);
  });
  return adapters;
}

PortResolution ResolvePort(int number, const PortEntries& entries, const std::vector<SerialDevice>& devices) {
  if (number < 1 || number > kHighestPortNumber)
    return {{}, {}, ComName(number) + " is not a port number (1 to " + std::to_string(kHighestPortNumber) + ")."};
  if (const auto entry = entries.find(number); entry != entries.end()) {
    if (auto problem = EntryProblem(number, entry->second)) return {{}, {}, *problem};
    return {Trimmed(entry->second), "assigned in the settings", {}};
  }
  if (const SerialDevice* classic = ClassicPort(number, entries, devices))
    return {classic->systemPath, "built-in port", {}};

  // The numbers neither assigned nor held by a built-in port go to the unassigned adapters.
  int rank = 0;
  for (int k = 1; k < number; ++k)
    if (!entries.contains(k) && !ClassicPort(k, entries, devices)) ++rank;
  const std::vector<SerialDevice> adapters = UnassignedAdapters(entries, devices);
  if (rank < static_cast<int>(adapters.size())) {
    const SerialDevice& adapter = adapters[static_cast<std::size_t>(rank)];
    const std::string how = adapters.size() == 1 ? "the only serial adapter, not assigned"
                                                 : "serial adapter " + std::to_string(rank + 1) + " of " +
                                                       std::to_string(adapters.size()) + " not assigned, in name order";
    // A stable name two look-alike adapters share may lead to either: the USB path does not.
    return {DependablePath(adapter, devices), how, {}};
  }
  return {
      {}, {}, ComName(number) + " has no assignment, no built-in port and no unassigned serial adapter left for it."};
}

}  // namespace hopper
