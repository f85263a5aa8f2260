#pragma once
// hopper-cli diff: sets side by side, channel by channel. Exit 0 equal, 1 differing, 2 when a
// set cannot be read.

#include "tools/cli/cli_options.h"

namespace hopper::cli {

int RunDiff(const CliOptions& options);

}  // namespace hopper::cli
