#pragma once
// A set of 16 coin numbers as one line of text, and the channels in which two sets differ,
// shown as "Channel3 250 → 251".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/setting_frames.h"

namespace hopper {

// "1 2 3 … 16": the 16 values in channel order, separated by single spaces.
std::string CoinNumbersText(const CoinNumbers& values);
// The reverse; nothing unless the text holds exactly 16 numbers of 0..65535.
std::optional<CoinNumbers> CoinNumbersFromText(std::string_view text);

struct ChannelChange {
  int channel = 0;  // 0..15
  std::uint16_t before = 0;
  std::uint16_t after = 0;
};

// The channels whose value differs between `before` and `after`, in channel order.
std::vector<ChannelChange> ChangedChannels(const CoinNumbers& before, const CoinNumbers& after);
// "Channel3 250 → 251"
std::string ChangeText(const ChannelChange& change);

}  // namespace hopper
