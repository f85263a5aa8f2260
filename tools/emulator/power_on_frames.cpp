#include "tools/emulator/power_on_frames.h"

#include <algorithm>

namespace hopper::emulator {

PowerOnFrames BuildPowerOnFrames(const HopperConfig& config) {
  const Faults& faults = config.faults;
  PowerOnFrames frames;
  frames.noise = NoiseBytes(faults.noiseBytes, faults.noiseSeed);

  std::vector<std::uint8_t> info = config.info;
  if (faults.infoLengthZero) info.clear();
  if (info.size() > 255) info.resize(255);
  frames.report = BuildReportFrame(config.header1, config.header2, info, config.coins);
  if (faults.badReportChecksum) frames.report.back() = static_cast<std::uint8_t>(frames.report.back() + 1);

  if (faults.cutReportAfter && *faults.cutReportAfter < frames.report.size()) {
    frames.report.resize(*faults.cutReportAfter);
    frames.cut = true;
  }
  return frames;
}

std::vector<std::uint8_t> NoiseBytes(std::size_t count, std::uint32_t seed) {
  // A small xorshift of our own: the standard distributions may differ between libraries,
  // and a noisy run should replay byte for byte anywhere.
  std::uint32_t state = seed == 0 ? 0x9E3779B9u : seed;
  std::vector<std::uint8_t> bytes(count);
  for (std::uint8_t& b : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<std::uint8_t>(state >> 24);
  }
  return bytes;
}

ReadBackBlock BuildReadBack(const CoinNumbers& coins, const Faults& faults) {
  ReadBackBlock block = BuildReadBackBlock(coins);
  if (faults.badReadBackChecksum) block.back() = static_cast<std::uint8_t>(block.back() + 1);
  return block;
}

}  // namespace hopper::emulator
