#pragma once
// Turns the traffic on the hopper's serial line into entries that say what each byte meant
// to the tool. What a received byte meant to the setting link is the link's own event for it,
// so the reading always agrees with the link's decisions; the bytes written, the bytes thrown
// away and the simulation window's traffic are read here.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/link_event.h"
#include "core/traffic_entry.h"

namespace hopper {

// Whose port the traffic went through: the main window's setting link or the simulation window.
enum class LineRole { SettingLink, Simulation };
enum class PortEvent { Opened, OpenFailed, Closed, Lost };

class TrafficDecoder {
 public:
  using Sink = std::function<void(TrafficEntry entry)>;
  explicit TrafficDecoder(Sink sink) : sink_(std::move(sink)) {}

  // A byte read from the line. The setting link says what its bytes meant with its events.
  void Received(std::int64_t ms, LineRole role, std::uint8_t byte);
  // A byte written to the line.
  void Sent(std::int64_t ms, LineRole role, std::uint8_t byte);
  // Bytes read from the line and thrown away unread: the rest of the input after a link error,
  // or the replies the simulation window drains.
  void Discarded(std::int64_t ms, LineRole role, std::span<const std::uint8_t> bytes);
  // `detail` names the port ("COM1 (/dev/ttyUSB0)") or says why it failed.
  void Port(std::int64_t ms, LineRole role, PortEvent event, std::string_view detail);
  // An event of the setting link: what a byte it took meant, or what it did on its own.
  void Link(std::int64_t ms, const LinkEvent& event);

 private:
  void Emit(std::int64_t ms, TrafficDirection direction, TrafficBytes bytes, std::string meaning, bool joins = false);
  void FlushHalfPair(std::int64_t ms);
  void SentOnSettingLink(std::int64_t ms, std::uint8_t byte);
  void SentBySimulation(std::int64_t ms, std::uint8_t byte);
  void ByteOfLink(std::int64_t ms, const LinkEvent& event);

  Sink sink_;
  std::vector<std::uint8_t> heldReceived_;  // the high byte of a coin number, until its low byte
  std::string heldMeaning_;                 // what that byte is, should no low byte follow
  std::vector<std::uint8_t> heldSent_;      // a save frame or dispense command being written
};

}  // namespace hopper
