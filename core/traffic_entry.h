#pragma once
// One line of the traffic on the hopper's serial line, as the line monitor and the log file
// show it: when, which way, the bytes, and what they meant to the tool.

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace hopper {

enum class TrafficDirection : std::uint8_t { FromHopper, ToHopper, Event };

// The bytes of one entry, at most kCapacity of them, kept inside the entry: the monitor holds
// thousands of entries, and a heap block for every byte or two would be most of their memory.
class TrafficBytes {
 public:
  static constexpr std::size_t kCapacity = 16;

  TrafficBytes() = default;
  TrafficBytes(std::initializer_list<std::uint8_t> bytes) : TrafficBytes(bytes.begin(), bytes.end()) {}
  TrafficBytes(const std::vector<std::uint8_t>& bytes) : TrafficBytes(bytes.begin(), bytes.end()) {}
  template <typename Iterator>
  TrafficBytes(Iterator first, Iterator last) {
    for (; first != last && size_ < kCapacity; ++first) bytes_[size_++] = *first;
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const std::uint8_t* begin() const { return bytes_.data(); }
  const std::uint8_t* end() const { return bytes_.data() + size_; }
  operator std::span<const std::uint8_t>() const { return {begin(), end()}; }
  // Adds `more` when all of it fits; false, and nothing added, when it does not.
  bool Append(const TrafficBytes& more);

  friend bool operator==(const TrafficBytes& a, const std::vector<std::uint8_t>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

 private:
  std::array<std::uint8_t, kCapacity> bytes_{};
  std::uint8_t size_ = 0;
};

struct TrafficEntry {
  std::int64_t ms = 0;  // since the recording started
  TrafficDirection direction = TrafficDirection::Event;
  TrafficBytes bytes;
  std::string meaning;
  // A run of like bytes (noise, info bytes, discarded input): the next entry with the same
  // direction and meaning may be joined to this one.
  bool joins = false;
};

// "3A 01 10": upper-case pairs separated by spaces.
std::string HexText(std::span<const std::uint8_t> bytes);
std::string HexText(const std::vector<std::uint8_t>& bytes);
// "hopper -> tool", "tool -> hopper" or "--".
std::string DirectionText(TrafficDirection direction);
// "    1234 ms  hopper -> tool  3A  report start"
std::string FormatTrafficLine(const TrafficEntry& entry);

// The newest entries, at most `capacity` of them, whatever comes down the line. A run of
// joinable bytes fills one entry up to kMaxJoinedBytes before the next one starts.
class TrafficRing {
 public:
  static constexpr std::size_t kDefaultCapacity = 20000;
  static constexpr std::size_t kMaxJoinedBytes = TrafficBytes::kCapacity;

  explicit TrafficRing(std::size_t capacity = kDefaultCapacity) : capacity_(capacity < 1 ? 1 : capacity) {}

  // True when the entry was joined to the newest one instead of starting a new entry.
  bool Add(TrafficEntry entry);
  void Clear();

  std::size_t Size() const { return entries_.size(); }
  const TrafficEntry& At(std::size_t index) const { return entries_[index]; }
  // Entries ever started, so a viewer can tell what is new since it last looked.
  std::uint64_t Started() const { return started_; }
  // The serial number of At(0): Started() - Size().
  std::uint64_t FirstSerial() const { return started_ - entries_.size(); }

 private:
  std::size_t capacity_;
  std::deque<TrafficEntry> entries_;
  std::uint64_t started_ = 0;
};

}  // namespace hopper
