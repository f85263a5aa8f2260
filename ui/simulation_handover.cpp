#include "ui/simulation_handover.h"

#include "platform/serial/serial_port.h"
#include "ui/form1.h"
#include "ui/form3.h"

namespace hopper {

Form3* OpenSimulationWindow(Form1& owner, int portNumber, MessageBoxes& messages,
                            const QString& programFolder, std::unique_ptr<SerialPort> port) {
  auto* simulation = new Form3(portNumber, messages, programFolder, std::move(port));
  simulation->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(simulation, &Form3::PortHandedBack, &owner, &Form1::ReturnPort);
  simulation->Start();
  return simulation;
}

}  // namespace hopper
