#pragma once
// What the simulation window says when it cannot open its port: the start-up messages, so the
// technician reads the same words as when the main window cannot open it.

#include "platform/serial/serial_port.h"
#include "platform/widgets/message_box.h"

namespace hopper {

// A message box with the critical icon and the title "Error", for every kind of failure.
Message SimulationPortMessage(int portNumber, const OpenOutcome& outcome);

}  // namespace hopper
