#include "core/traffic_entry.h"

#include <algorithm>

#include "core/escaped_text.h"

namespace hopper {

bool TrafficBytes::Append(const TrafficBytes& more) {
  if (size_ + more.size_ > kCapacity) return false;
  std::copy(more.begin(), more.end(), bytes_.begin() + size_);
  size_ = static_cast<std::uint8_t>(size_ + more.size_);
  return true;
}

std::string HexText(const std::vector<std::uint8_t>& bytes) { return HexText(std::span<const std::uint8_t>(bytes)); }

std::string HexText(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (const std::uint8_t b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

std::string DirectionText(TrafficDirection direction) {
  switch (direction) {
    case TrafficDirection::FromHopper: return "hopper -> tool";
    case TrafficDirection::ToHopper: return "tool -> hopper";
    case TrafficDirection::Event: break;
  }
  return "--";
}

std::string FormatTrafficLine(const TrafficEntry& entry) {
  std::string time = std::to_string(entry.ms);
  if (time.size() < 8) time.insert(0, 8 - time.size(), ' ');
  std::string direction = DirectionText(entry.direction);
  direction.resize(14, ' ');
  std::string line = time + " ms  " + direction + "  ";
  if (!entry.bytes.empty()) line += HexText(entry.bytes) + "  ";
  // A port event carries the device path as it was given: a line of the log is one line.
  return line + EscapeControls(entry.meaning);
}

bool TrafficRing::Add(TrafficEntry entry) {
  if (entry.joins && !entries_.empty()) {
    TrafficEntry& last = entries_.back();
    if (last.joins && last.direction == entry.direction && last.meaning == entry.meaning &&
        last.bytes.Append(entry.bytes))
      return true;
  }
  if (entries_.size() == capacity_) entries_.pop_front();
  entries_.push_back(std::move(entry));
  ++started_;
  return false;
}

void TrafficRing::Clear() { entries_.clear(); }

}  // namespace hopper
