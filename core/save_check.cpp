#include "core/save_check.h"

namespace hopper {

SaveCheck CheckSave(const ChannelTexts& entries) {
  bool anyAboveZero = false;
  for (int k = 0; k < kChannelCount; ++k) {
    const std::uint32_t v = EntryValue(entries[static_cast<std::size_t>(k)]);
    if (v > kMaxCoinNumber) return {SaveVerdict::RangeError, k};
    if (v > 0) anyAboveZero = true;
  }
  if (!anyAboveZero) return {SaveVerdict::AllZero, 0};
  return {SaveVerdict::Valid, 0};
}

CoinNumbers CoinNumbersOf(const ChannelTexts& entries) {
  CoinNumbers coins{};
  for (std::size_t i = 0; i < kCoinCount; ++i) {
    const std::uint32_t v = EntryValue(entries[i]);
    coins[i] = static_cast<std::uint16_t>(v > kMaxCoinNumber ? kMaxCoinNumber : v);
  }
  return coins;
}

ChannelTexts TextsOf(const CoinNumbers& coins) {
  ChannelTexts texts;
  for (std::size_t i = 0; i < kCoinCount; ++i) texts[i] = std::to_string(coins[i]);
  return texts;
}

}  // namespace hopper
