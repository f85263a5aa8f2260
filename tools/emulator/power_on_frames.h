#pragma once
// The bytes the hopper sends when it is switched on, faults applied: pure functions.

#include <cstdint>
#include <vector>

#include "tools/emulator/hopper_config.h"

namespace hopper::emulator {

struct PowerOnFrames {
  std::vector<std::uint8_t> noise;   // line noise ahead of the report (may hold any byte)
  std::vector<std::uint8_t> report;  // the report frame, or its first bytes when cut
  bool cut = false;                  // the report stops early: nothing follows it
};

PowerOnFrames BuildPowerOnFrames(const HopperConfig& config);

// The same seed always gives the same bytes, so a run with noise can be repeated.
std::vector<std::uint8_t> NoiseBytes(std::size_t count, std::uint32_t seed);

// The read-back block after a save, with its checksum spoilt when the fault asks for it.
ReadBackBlock BuildReadBack(const CoinNumbers& coins, const Faults& faults);

}  // namespace hopper::emulator
