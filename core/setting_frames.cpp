#include "core/setting_frames.h"

#include <algorithm>
#include <numeric>

namespace hopper {

std::array<std::uint8_t, 2> EncodeCoinNumber(std::uint16_t value) {
  return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF)};
}

std::uint16_t DecodeCoinNumber(std::uint8_t high, std::uint8_t low) {
  return static_cast<std::uint16_t>(high * 256 + low);
}

DataBlock EncodeDataBlock(const CoinNumbers& coins) {
  DataBlock block{};
  for (std::size_t i = 0; i < kCoinCount; ++i) {
    const auto bytes = EncodeCoinNumber(coins[i]);
    block[2 * i] = bytes[0];
    block[2 * i + 1] = bytes[1];
  }
  return block;
}

CoinNumbers DecodeDataBlock(std::span<const std::uint8_t, kDataBlockSize> block) {
  CoinNumbers coins{};
  for (std::size_t i = 0; i < kCoinCount; ++i) coins[i] = DecodeCoinNumber(block[2 * i], block[2 * i + 1]);
  return coins;
}

std::uint8_t DataBlockChecksum(std::span<const std::uint8_t, kDataBlockSize> block) {
  return static_cast<std::uint8_t>(std::accumulate(block.begin(), block.end(), 0u) & 0xFF);
}

SaveFrame BuildSaveFrame(const CoinNumbers& coins) {
  SaveFrame frame{};
  frame[0] = kSaveLeadByte;
  const DataBlock block = EncodeDataBlock(coins);
  std::copy(block.begin(), block.end(), frame.begin() + 1);
  return frame;
}

ReadBackBlock BuildReadBackBlock(const CoinNumbers& coins) {
  ReadBackBlock out{};
  const DataBlock block = EncodeDataBlock(coins);
  std::copy(block.begin(), block.end(), out.begin());
  out[kDataBlockSize] = DataBlockChecksum(block);
  return out;
}

std::vector<std::uint8_t> BuildReportFrame(std::uint8_t header1, std::uint8_t header2,
                                           std::span<const std::uint8_t> info, const CoinNumbers& coins) {
  const std::size_t infoLength = std::min<std::size_t>(info.size(), 255);
  const ReadBackBlock tail = BuildReadBackBlock(coins);
  std::vector<std::uint8_t> frame(4 + infoLength + tail.size());
  frame[0] = kStartByte;
  frame[1] = header1;
  frame[2] = header2;
  frame[3] = static_cast<std::uint8_t>(infoLength);
  std::copy_n(info.begin(), infoLength, frame.begin() + 4);
  std::copy(tail.begin(), tail.end(), frame.begin() + 4 + static_cast<std::ptrdiff_t>(infoLength));
  return frame;
}

}  // namespace hopper
