#pragma once
// Which device hopper-cli opens, and what it says when the port cannot be opened.

#include <QString>

#include "platform/serial/serial_port.h"

namespace hopper::cli {

struct PortChoice {
  QString device;   // what to open; empty when refused
  QString name;     // how the user knows the port: "COM3", or the path as given
  QString refusal;  // why there is nothing to open
  int number = 0;   // the COM number, when the port was named by one
};

// `given` is "COM3", "com3", "3" or a device path; empty takes the port the tool last used
// ("COMPORT" in the tool's settings). A number stands for the device the tool maps it to.
PortChoice ChoosePort(const QString& given);

struct PortProblem {
  QString error;   // the window's own words: "Port Already In Use", …
  QString advice;  // the device and what to do
};

// What to say about a failed opening.
PortProblem DescribeOpenFailure(const PortChoice& choice, const OpenOutcome& outcome);

}  // namespace hopper::cli
