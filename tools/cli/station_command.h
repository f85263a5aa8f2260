#pragma once
// `hopper-cli station FILE --port P [--port P …] [--json]`: the production station on the
// command line, until Ctrl+C or a termination signal.

namespace hopper::cli {

// `argv` as main() has it, with "station" as its first word.
int RunStation(int argc, const char* const* argv);

}  // namespace hopper::cli
