#pragma once
// The run-time dispense protocol: send-only commands, one byte per write.

#include <array>
#include <cstdint>

namespace hopper {

inline constexpr std::uint8_t kStartUpCommand = 0x80;
inline constexpr std::uint8_t kDispenseLead = 0x81;
inline constexpr std::uint8_t kDispenseTail = 0x10;
inline constexpr std::int16_t kFirstChannelCode = 0x40;  // Channel1
inline constexpr std::int16_t kLastChannelCode = 0x4F;   // Channel16

std::array<std::uint8_t, 1> StartUpCommand();

// 0x81, the channel byte, 0x10.
std::array<std::uint8_t, 3> DispenseCommand(std::int16_t channelCode);

// The channel byte for a position 0..15 of the channel list; positions outside the list
// are held to the nearest channel, so the byte stays in 0x40..0x4F.
std::int16_t ChannelCodeForPosition(int position);

}  // namespace hopper
