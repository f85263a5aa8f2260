#pragma once
// Everything that travels on the setting link: byte values, coin-number encoding,
// the data-block checksum and the frames in both directions.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace hopper {

inline constexpr std::uint8_t kStartByte = 0x3A;     // first byte of a report frame
inline constexpr std::uint8_t kSyncByte = 0x82;      // hopper sends it after a report; we echo it
inline constexpr std::uint8_t kReadyByte = 0x83;     // hopper: ready to take a setting
inline constexpr std::uint8_t kSaveLeadByte = 0x83;  // tool: first byte of a save frame
inline constexpr std::uint8_t kSaveAckByte = 0x84;   // hopper: save frame taken

inline constexpr std::size_t kCoinCount = 16;
inline constexpr std::size_t kDataBlockSize = 32;
inline constexpr std::size_t kSaveFrameSize = 1 + kDataBlockSize;
inline constexpr std::size_t kReadBackSize = kDataBlockSize + 1;

using CoinNumbers = std::array<std::uint16_t, kCoinCount>;
using DataBlock = std::array<std::uint8_t, kDataBlockSize>;
using SaveFrame = std::array<std::uint8_t, kSaveFrameSize>;
using ReadBackBlock = std::array<std::uint8_t, kReadBackSize>;

// High byte first.
std::array<std::uint8_t, 2> EncodeCoinNumber(std::uint16_t value);
std::uint16_t DecodeCoinNumber(std::uint8_t high, std::uint8_t low);

DataBlock EncodeDataBlock(const CoinNumbers& coins);
CoinNumbers DecodeDataBlock(std::span<const std::uint8_t, kDataBlockSize> block);

// Sum of the 32 data bytes modulo 256.
std::uint8_t DataBlockChecksum(std::span<const std::uint8_t, kDataBlockSize> block);

// 0x83 and the data block: exactly 33 bytes, no checksum, no terminator.
SaveFrame BuildSaveFrame(const CoinNumbers& coins);

// What the hopper sends: the data block and its checksum.
ReadBackBlock BuildReadBackBlock(const CoinNumbers& coins);

// What the hopper sends at power-on: 0x3A, two header bytes, the info length, the info bytes,
// the data block and its checksum. The length byte is the size of `info` (at most 255).
std::vector<std::uint8_t> BuildReportFrame(std::uint8_t header1, std::uint8_t header2,
                                           std::span<const std::uint8_t> info, const CoinNumbers& coins);

}  // namespace hopper
