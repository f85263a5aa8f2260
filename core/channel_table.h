#pragma once
// The channel table: 16 coin numbers held as the texts of the 16 entry boxes,
// and the rules for what may be typed into them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hopper {

inline constexpr int kChannelCount = 16;
inline constexpr std::size_t kMaxEntryLength = 5;

using ChannelTexts = std::array<std::string, kChannelCount>;

inline constexpr std::string_view kNumberOnlyMessage = "Hey man~~!Just number only";

// True when every character is '0'..'9'; true for the empty text.
bool IsAllDigits(std::string_view text);

// Removes the leading and trailing spaces, then every remaining space (U+0020 only),
// stores the result back into `text` and returns it.
std::string StripSpaces(std::string& text);

// What a box keeps of a text put into it: its first five characters.
std::string LimitEntry(std::string_view text);

// An entry read as a decimal whole number: leading zeros ignored, empty reads 0.
// A text that is not all digits, or too large to count, reads as kUnreadableEntry,
// which is above every valid coin number.
inline constexpr std::uint32_t kUnreadableEntry = 0xFFFFFFFFu;
std::uint32_t EntryValue(std::string_view text);

// The character filter for typed characters: digits, Backspace (8) and Enter (13) pass.
bool CharacterPasses(std::uint32_t characterCode);

// Key codes the focus ring reacts to (the classic virtual-key numbers).
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;

// The box a key moves the focus to from box `index`, or nothing when the key is not a focus move.
// Enter, Right and Down go forward, Left and Up go back, both in a ring of 16.
std::optional<int> FocusTarget(int index, int keyCode);

// The entry-change rule's decision for a box's new text.
enum class EntryChange { Keep, RejectAndReset };
EntryChange EntryChangeDecision(std::string_view newText);

// The text a rejected box is reset to.
inline constexpr std::string_view kResetEntry = "0";

}  // namespace hopper
