#include "core/raw_traffic.h"

namespace hopper {

namespace {
constexpr std::uint8_t kOk = 0x01;
constexpr std::uint8_t kReadBack = 0x02;
constexpr int kFaultShift = 2;
}  // namespace

RawTraffic RawTraffic::OfByte(std::int64_t ms, RawKind kind, LineRole role, std::uint8_t byte) {
  RawTraffic record;
  record.ms = ms;
  record.kind = kind;
  record.role = static_cast<std::uint8_t>(role);
  record.byte = byte;
  return record;
}

RawTraffic RawTraffic::OfPort(std::int64_t ms, LineRole role, PortEvent event) {
  RawTraffic record;
  record.ms = ms;
  record.kind = RawKind::Port;
  record.role = static_cast<std::uint8_t>(role);
  record.code = static_cast<std::uint8_t>(event);
  return record;
}

RawTraffic RawTraffic::OfLink(std::int64_t ms, const LinkEvent& event) {
  RawTraffic record;
  record.ms = ms;
  record.kind = RawKind::Link;
  record.byte = event.byte;
  record.code = static_cast<std::uint8_t>(event.kind);
  // A coin number is 16 bits; every other value of an event is a byte or a count below 256.
  record.value = static_cast<std::uint16_t>(event.value);
  record.channel = static_cast<std::int8_t>(event.channel);
  record.flags = static_cast<std::uint8_t>((event.ok ? kOk : 0) | (event.readBack ? kReadBack : 0) |
                                           (static_cast<int>(event.fault) << kFaultShift));
  return record;
}

LinkEvent RawTraffic::Link() const {
  LinkEvent event;
  event.kind = static_cast<LinkEventKind>(code);
  event.byte = byte;
  event.channel = channel;
  event.value = value;
  event.ok = (flags & kOk) != 0;
  event.readBack = (flags & kReadBack) != 0;
  event.fault = static_cast<LinkFault>(flags >> kFaultShift);
  return event;
}

void Replay(const RawTraffic& record, std::string_view detail, TrafficDecoder& decoder) {
  const auto role = static_cast<LineRole>(record.role);
  switch (record.kind) {
    case RawKind::Received: decoder.Received(record.ms, role, record.byte); break;
    case RawKind::Sent: decoder.Sent(record.ms, role, record.byte); break;
    case RawKind::Discarded: decoder.Discarded(record.ms, role, std::span(&record.byte, 1)); break;
    case RawKind::Port: decoder.Port(record.ms, role, static_cast<PortEvent>(record.code), detail); break;
    case RawKind::Link: decoder.Link(record.ms, record.Link()); break;
  }
}

RawTrafficRing::RawTrafficRing(std::size_t capacity) : slots_(capacity < 1 ? 1 : capacity) {}

void RawTrafficRing::Add(const RawTraffic& record) {
  if (size_ < slots_.size()) {
    slots_[(oldest_ + size_) % slots_.size()] = record;
    ++size_;
  } else {
    slots_[oldest_] = record;
    oldest_ = (oldest_ + 1) % slots_.size();
  }
  ++started_;
}

void RawTrafficRing::Clear() {
  oldest_ = 0;
  size_ = 0;
}

}  // namespace hopper
