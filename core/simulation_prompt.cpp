#include "core/simulation_prompt.h"

namespace hopper {

void PromptTyper::Restart(std::string_view text) {
  promptText_ = std::string(text);
  promptPos_ = 0;
}

std::string PromptTyper::Tick() {
  ++promptPos_;
  const auto length = static_cast<int>(promptText_.size());
  std::string shown = promptText_.substr(0, static_cast<std::size_t>(promptPos_ < length ? promptPos_ : length));
  // The whole text stays up for one extra tick before the line starts over.
  if (promptPos_ == length + 1) promptPos_ = 0;
  return shown;
}

}  // namespace hopper
