#pragma once
// hopper-cli ports: every serial device of the machine, with what stands in the way of it.

namespace hopper::cli {

// Prints the devices and the findings (as one JSON object with `json`); returns the exit code.
int RunPorts(bool json);

}  // namespace hopper::cli
