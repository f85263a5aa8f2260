#include "ui/simulation_port_message.h"

#include "ui/port_report.h"

namespace hopper {

Message SimulationPortMessage(int portNumber, const OpenOutcome& outcome) {
  if (std::optional<Message> message = OpenFailureMessage(outcome)) return *message;
  // The main window's start-up says nothing about a failure of another kind, but this window
  // goes away at once, and the technician must learn why.
  Message message;
  message.icon = MessageIcon::Critical;
  message.title = QStringLiteral("Error");
  message.text = QStringLiteral("Port Open Error");
  const QString port = outcome.device.isEmpty() ? QStringLiteral("COM%1").arg(portNumber)
                                                : QStringLiteral("COM%1 (%2)").arg(portNumber).arg(outcome.device);
  message.informative = outcome.detail.isEmpty()
                            ? QStringLiteral("%1 could not be opened.").arg(port)
                            : QStringLiteral("%1 could not be opened: %2").arg(port, outcome.detail);
  return message;
}

}  // namespace hopper
