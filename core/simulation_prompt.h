#pragma once
// The prompt line of the simulation window types its text out one character a tick, shows
// the whole text for one more tick and starts again from one character: a cycle of L + 1
// ticks for a text of L characters.

#include <string>
#include <string_view>

namespace hopper {

// Shown from the window's opening. No space after the "!".
inline constexpr std::string_view kOpeningPrompt =
    "After Save Setting Please Reset Hopper!While Hopper Ready Press [Startup]";
// Shown from each press of "Start up"; the seven leading spaces type out as blank ticks.
inline constexpr std::string_view kSelectPrompt = "       Select a Channel Then Press Dispense";

class PromptTyper {
 public:
  // Types `text` from its first character at the next tick.
  void Restart(std::string_view text);

  // One tick of the prompt timer: the characters the line shows from now on.
  std::string Tick();

  const std::string& Text() const { return promptText_; }
  // How many characters the line shows (0 right after a restart).
  int Position() const { return promptPos_; }

 private:
  std::string promptText_;
  int promptPos_ = 0;
};

}  // namespace hopper
