#pragma once
// Validation of the channel table before a save, and the bytes a save sends.

#include <string_view>

#include "core/channel_table.h"
#include "core/setting_frames.h"

namespace hopper {

inline constexpr std::string_view kRangeErrorMessage = "Exceed the range";
inline constexpr std::string_view kAllZeroMessage = "Unavailable setting";
inline constexpr std::uint32_t kMaxCoinNumber = 65535;

enum class SaveVerdict { Valid, RangeError, AllZero };

struct SaveCheck {
  SaveVerdict verdict = SaveVerdict::Valid;
  int channel = 0;  // the box to focus: the first out-of-range channel, or Channel1 for all-zero
};

// Range first, channel by channel; then at least one value must be above 0.
SaveCheck CheckSave(const ChannelTexts& entries);

// The 16 coin numbers of a table that passed CheckSave.
CoinNumbers CoinNumbersOf(const ChannelTexts& entries);
// The reverse: the decimal texts of 16 coin numbers, as the boxes show them.
ChannelTexts TextsOf(const CoinNumbers& coins);

}  // namespace hopper
