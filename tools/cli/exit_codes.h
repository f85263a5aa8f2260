#pragma once
// What hopper-cli's exit code says, for scripts. The table below is printed by --help and
// repeated in the README: keep the three in step.

namespace hopper::cli {

enum class ExitCode : int {
  Done = 0,               // read: the set was read; write: the hopper holds exactly the file's set
  Differ = 1,             // diff: the sets differ
  BadArguments = 2,       // the command line is wrong
  PortError = 3,          // the port is missing, busy, not allowed, or went away
  HopperTimeout = 4,      // no report from the hopper within --timeout
  LinkError = 5,          // checksum error, unexpected byte, report or read-back cut off
  NoAcknowledgement = 6,  // the hopper did not acknowledge the save frame
  ReadBackDiffers = 7,    // the hopper acknowledged, but reports a set other than the one written
  FileRefused = 8,        // write: the parameter file is missing, unreadable or not a valid set
  OutputFailed = 9,       // read --out: the parameter file could not be written
  NoSuchEntry = 10,       // report: the journal holds no such entry
  JournalUnusable = 11,   // history, report: the journal is not there, cannot be read or is none
  Interrupted = 130,      // Ctrl+C or a termination signal
};

inline constexpr const char* kExitCodeTable =
    "Exit codes:\n"
    "  0    done (write: the read-back equals the file; diff: the sets are equal)\n"
    "  1    diff: the sets differ\n"
    "  2    bad arguments\n"
    "  3    port error: missing, busy, access denied, or lost\n"
    "  4    timeout waiting for the hopper's report\n"
    "  5    checksum or link error\n"
    "  6    no acknowledgement of the save\n"
    "  7    read-back differs from what was written\n"
    "  8    parameter file refused (nothing was written)\n"
    "  9    output file could not be written\n"
    "  10   report: no such journal entry\n"
    "  11   history, report: the journal is not there, cannot be read, or is no journal\n"
    "  130  interrupted\n";

inline int ToInt(ExitCode code) { return static_cast<int>(code); }

}  // namespace hopper::cli
