#pragma once
// The hopper line's traffic as it is kept: one 16-byte record for each byte read, written or
// thrown away, each event of the link and each port event, with its time. What a record meant
// is worked out only when somebody looks (the line monitor, "Save log...", the log file), by
// replaying the records through a TrafficDecoder: a recording that runs for days costs a fixed
// block of memory, never a text for every byte.

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/link_event.h"
#include "core/traffic_decoder.h"

namespace hopper {

enum class RawKind : std::uint8_t { Received, Sent, Discarded, Port, Link };

struct RawTraffic {
  std::int64_t ms = 0;  // since the recording started
  RawKind kind = RawKind::Link;
  std::uint8_t role = 0;  // LineRole
  std::uint8_t byte = 0;  // the byte; a link event's byte
  std::uint8_t code = 0;  // LinkEventKind, or PortEvent
  std::uint16_t value = 0;
  std::int8_t channel = 0;
  std::uint8_t flags = 0;  // a link event's ok, readBack and fault

  static RawTraffic OfByte(std::int64_t ms, RawKind kind, LineRole role, std::uint8_t byte);
  static RawTraffic OfPort(std::int64_t ms, LineRole role, PortEvent event);
  static RawTraffic OfLink(std::int64_t ms, const LinkEvent& event);
  LinkEvent Link() const;
};
static_assert(sizeof(RawTraffic) == 16, "a record is kept for every byte on the line");

// Tells `decoder` what `record` recorded; `detail` is a port event's text.
void Replay(const RawTraffic& record, std::string_view detail, TrafficDecoder& decoder);

// The newest records, at most `capacity` of them, in one block taken whole at the start: the
// memory a recording costs does not grow as the line runs.
class RawTrafficRing {
 public:
  static constexpr std::size_t kDefaultCapacity = 20000;

  explicit RawTrafficRing(std::size_t capacity = kDefaultCapacity);

  void Add(const RawTraffic& record);
  void Clear();

  std::size_t Size() const { return size_; }
  std::size_t Capacity() const { return slots_.size(); }
  // 0 is the oldest record held.
  const RawTraffic& At(std::size_t index) const { return slots_[(oldest_ + index) % slots_.size()]; }
  // Records ever added, so a reader can tell what is new since it last looked.
  std::uint64_t Started() const { return started_; }
  // The serial number of At(0).
  std::uint64_t FirstSerial() const { return started_ - size_; }

 private:
  std::vector<RawTraffic> slots_;
  std::size_t oldest_ = 0;
  std::size_t size_ = 0;
  std::uint64_t started_ = 0;
};

}  // namespace hopper
