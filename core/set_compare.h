#pragma once
// Two or more sets of coin numbers side by side, channel by channel: which channels differ.
// A set may come from the hopper's report, the boxes, a parameter file, a backup or the
// journal; here each is just 16 values, the boxes' texts read as the save reads them.

#include <cstdint>
#include <string>
#include <vector>

#include "core/channel_table.h"
#include "core/setting_frames.h"

namespace hopper {

// A box's text as a number: an unreadable one is kUnreadableEntry, unlike every coin number.
using ComparedSet = std::array<std::uint32_t, kChannelCount>;

ComparedSet ComparedOf(const CoinNumbers& values);
ComparedSet ComparedOf(const ChannelTexts& texts);

struct ComparedChannel {
  int channel = 0;                    // 0..15
  std::vector<std::uint32_t> values;  // one per set, in the order given
  bool differs = false;
};

struct SetComparison {
  std::vector<ComparedChannel> channels;  // all 16, in channel order
  std::vector<int> differing;             // the channels that differ, in channel order
  bool Equal() const { return differing.empty(); }
};

// Fewer than two sets never differ.
SetComparison CompareSets(const std::vector<ComparedSet>& sets);

// "equal", or "2 channels differ: Channel3 and Channel7".
std::string ComparisonSummary(const SetComparison& comparison);

}  // namespace hopper
