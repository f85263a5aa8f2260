#pragma once
// hopper-cli history, and the journal that read and write keep their entries in.

#include <QString>
#include <memory>

#include "platform/journal/journal.h"
#include "tools/cli/cli_options.h"

namespace hopper::cli {

// The journal the options ask for (--journal, else the settings); `problem` says why a named
// database cannot be used, the local file being kept instead.
JournalSetup CliJournalSetup(const CliOptions& options);

// Lists the entries, newest first, as lines or one JSON array; returns the exit code.
int RunHistory(const CliOptions& options);
// The same as comma-separated values (cli_history_csv.cpp).
int RunHistoryCsv(const CliOptions& options);

}  // namespace hopper::cli
