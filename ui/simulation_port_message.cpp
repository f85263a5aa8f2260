#include "ui/simulation_port_message.h"

namespace hopper {

Message SimulationPortMessage(int portNumber, const OpenOutcome& outcome) {
  Message message;
  message.icon = MessageIcon::Critical;
  message.title = QStringLiteral("Error");
  const QString port = outcome.device.isEmpty()
                           ? QStringLiteral("COM%1").arg(portNumber)
                           : QStringLiteral("COM%1 (%2)").arg(portNumber).arg(outcome.device);
  switch (outcome.result) {
    case OpenResult::InvalidPort:
      message.text = QStringLiteral("Port Number Error");
      message.informative = QStringLiteral("%1 does not exist on this machine.").arg(port);
      break;
    case OpenResult::PortInUse:
      message.text = QStringLiteral("Port Already In Use");
      message.informative = QStringLiteral("Another program holds %1.").arg(port);
      break;
    case OpenResult::AccessDenied:
      message.text = QStringLiteral("Port Access Denied");
      message.informative =
          QStringLiteral("This user may not open %1; ask for access to the serial ports.").arg(port);
      break;
    case OpenResult::Opened:
    case OpenResult::OtherFailure:
      message.text = QStringLiteral("Port Open Error");
      message.informative = outcome.detail.isEmpty()
                                ? QStringLiteral("%1 could not be opened.").arg(port)
                                : QStringLiteral("%1 could not be opened: %2").arg(port, outcome.detail);
      break;
  }
  message.informative += QStringLiteral(" The main window takes its port back.");
  return message;
}

}  // namespace hopper
