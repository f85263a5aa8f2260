#pragma once
// One hopper-cli command from its options to its exit code.

#include "tools/cli/cli_options.h"

namespace hopper::cli {

// Runs the command on the event loop of the running QCoreApplication.
int RunCommand(const CliOptions& options);

}  // namespace hopper::cli
