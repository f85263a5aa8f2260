#pragma once
// What the technician is told when a port cannot be opened: the message boxes of a failed
// opening, and the status-line caption of a port that does not work.

#include <QString>
#include <optional>

#include "platform/serial/serial_port.h"
#include "platform/widgets/message_box.h"

namespace hopper {

inline constexpr const char* kPortNumberError = "Port Number Error";
inline constexpr const char* kPortInUse = "Port Already In Use";
inline constexpr const char* kPortAccessDenied = "Port Access Denied";
// The second button of those boxes: the port assignment window.
inline constexpr const char* kChoosePort = "Choose a port…";

// The box for a failed opening, titled "Error" with the critical icon; the device and what to
// do go into the informative text. Nothing for an opened port or a failure of another kind.
std::optional<Message> OpenFailureMessage(const OpenOutcome& outcome);

// Red on the status line while the window's port is not open and working.
QString PortTroubleCaption(int portNumber);

// Details for the status line's tool tip.
QString PortTroubleDetail(const OpenOutcome& outcome);

}  // namespace hopper
