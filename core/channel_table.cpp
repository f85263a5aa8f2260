#include "core/channel_table.h"

#include <algorithm>

namespace hopper {

bool IsAllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string StripSpaces(std::string& text) {
  std::erase(text, ' ');  // trimming first and then removing the inner spaces leaves the same text
  return text;
}

std::string LimitEntry(std::string_view text) { return std::string(text.substr(0, kMaxEntryLength)); }

std::uint32_t EntryValue(std::string_view text) {
  if (!IsAllDigits(text)) return kUnreadableEntry;
  std::uint64_t value = 0;
  for (char c : text) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value >= kUnreadableEntry) return kUnreadableEntry;
  }
  return static_cast<std::uint32_t>(value);
}

bool CharacterPasses(std::uint32_t characterCode) {
  return (characterCode >= '0' && characterCode <= '9') || characterCode == 8 || characterCode == 13;
}

std::optional<int> FocusTarget(int index, int keyCode) {
  switch (keyCode) {
    case kKeyEnter:
    case kKeyRight:
    case kKeyDown: return (index + 1) % kChannelCount;
    case kKeyLeft:
    case kKeyUp: return (index + kChannelCount - 1) % kChannelCount;
    default: return std::nullopt;
  }
}

EntryChange EntryChangeDecision(std::string_view newText) {
  return IsAllDigits(newText) ? EntryChange::Keep : EntryChange::RejectAndReset;
}

}  // namespace hopper
