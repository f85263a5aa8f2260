#include "core/channel_changes.h"

#include <charconv>

namespace hopper {

std::string CoinNumbersText(const CoinNumbers& values) {
  std::string text;
  for (std::size_t i = 0; i < kCoinCount; ++i) {
    if (i > 0) text += ' ';
    text += std::to_string(values[i]);
  }
  return text;
}

std::optional<CoinNumbers> CoinNumbersFromText(std::string_view text) {
  CoinNumbers values{};
  std::size_t count = 0;
  const char* at = text.data();
  const char* end = text.data() + text.size();
  while (at != end) {
    if (*at == ' ') {
      ++at;
      continue;
    }
    unsigned value = 0;
    const auto [next, error] = std::from_chars(at, end, value);
    if (error != std::errc() || value > 0xFFFF || count == kCoinCount || (next != end && *next != ' '))
      return std::nullopt;
    values[count++] = static_cast<std::uint16_t>(value);
    at = next;
  }
  if (count != kCoinCount) return std::nullopt;
  return values;
}

std::vector<ChannelChange> ChangedChannels(const CoinNumbers& before, const CoinNumbers& after) {
  std::vector<ChannelChange> changes;
  for (std::size_t i = 0; i < kCoinCount; ++i)
    if (before[i] != after[i]) changes.push_back({static_cast<int>(i), before[i], after[i]});
  return changes;
}

std::string ChangeText(const ChannelChange& change) {
  return "Channel" + std::to_string(change.channel + 1) + " " + std::to_string(change.before) + " \u2192 " +
         std::to_string(change.after);
}

}  // namespace hopper
