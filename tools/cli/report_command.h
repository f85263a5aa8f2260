#pragma once
// hopper-cli report ID|last --pdf FILE: a journal entry's visit report as a PDF.

#include "tools/cli/cli_options.h"

namespace hopper::cli {

int RunReport(const CliOptions& options);

}  // namespace hopper::cli
