#pragma once
// Whether the driver took the line settings the hopper needs: some adapters' drivers quietly
// keep no parity, and the hopper then rejects every frame without a word.

#include <cstdint>
#include <string>
#include <vector>

#include "core/line_settings.h"

namespace hopper {

// The errors the driver counted on the line since it was opened.
struct LineErrorCounts {
  std::int64_t parity = 0;
  std::int64_t framing = 0;
  friend bool operator==(const LineErrorCounts&, const LineErrorCounts&) = default;
};

// One sentence for each setting the driver did not take, with what to do; empty when it took all.
std::vector<std::string> LineSettingTrouble(const LineSettings& wanted, const LineSettings& taken);

// "Parity errors: 2, framing errors: 0".
std::string LineErrorText(const LineErrorCounts& counts);

}  // namespace hopper
