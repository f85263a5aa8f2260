#include "core/dispense.h"

#include <algorithm>

namespace hopper {

std::array<std::uint8_t, 1> StartUpCommand() { return {kStartUpCommand}; }

std::array<std::uint8_t, 3> DispenseCommand(std::int16_t channelCode) {
  const auto code = std::clamp(channelCode, kFirstChannelCode, kLastChannelCode);
  return {kDispenseLead, static_cast<std::uint8_t>(code), kDispenseTail};
}

std::int16_t ChannelCodeForPosition(int position) {
  return static_cast<std::int16_t>(kFirstChannelCode + std::clamp(position, 0, 15));
}

}  // namespace hopper
