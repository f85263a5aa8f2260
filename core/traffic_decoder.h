#pragma once
// Turns the traffic on the hopper's serial line into entries that say what each byte meant
// to the tool. It follows the setting link with a receive state machine of its own, fed the
// same bytes in the same order, so its reading always agrees with the link's decisions; what
// the link cannot see in the bytes (its watches firing, its start) is told to it as events.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/traffic_entry.h"

namespace hopper {

// Whose port the traffic went through: the main window's setting link or the simulation window.
enum class LineRole { SettingLink, Simulation };
enum class PortEvent { Opened, OpenFailed, Closed, Lost };
enum class LinkEvent { Started, ReceiveWatchExpired, ResponseWatchExpired };

class TrafficDecoder {
 public:
  using Sink = std::function<void(TrafficEntry entry)>;
  explicit TrafficDecoder(Sink sink);
  ~TrafficDecoder();
  TrafficDecoder(const TrafficDecoder&) = delete;
  TrafficDecoder& operator=(const TrafficDecoder&) = delete;

  // A byte read from the line and handed to the link (or to the simulation window).
  void Received(std::int64_t ms, LineRole role, std::uint8_t byte);
  // A byte written to the line.
  void Sent(std::int64_t ms, LineRole role, std::uint8_t byte);
  // Bytes read from the line and thrown away unread: the rest of the input after a link error,
  // or the replies the simulation window drains.
  void Discarded(std::int64_t ms, LineRole role, std::span<const std::uint8_t> bytes);
  // `detail` names the port ("COM1 (/dev/ttyUSB0)") or says why it failed.
  void Port(std::int64_t ms, LineRole role, PortEvent event, std::string_view detail);
  void Link(std::int64_t ms, LinkEvent event);

 private:
  struct Follower;
  void Emit(std::int64_t ms, TrafficDirection direction, std::vector<std::uint8_t> bytes, std::string meaning,
            bool joins = false);
  void FlushHalfPair(std::int64_t ms);
  void SentOnSettingLink(std::int64_t ms, std::uint8_t byte);
  void SentBySimulation(std::int64_t ms, std::uint8_t byte);

  Sink sink_;
  std::unique_ptr<Follower> follower_;
  std::vector<std::uint8_t> heldReceived_;  // the high byte of a coin number, until its low byte
  std::string heldMeaning_;                 // what that byte is, should no low byte follow
  std::vector<std::uint8_t> heldSent_;      // a save frame or dispense command being written
};

}  // namespace hopper
