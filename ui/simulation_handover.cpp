#include "ui/simulation_handover.h"

#include "platform/serial/serial_port.h"
#include "ui/main_window.h"
#include "ui/simulation_window.h"

namespace hopper {

SimulationWindow* OpenSimulationWindow(MainWindow& owner, int portNumber, MessageBoxes& messages,
                                       const QString& programFolder, std::unique_ptr<SerialPort> port) {
  auto* simulation = new SimulationWindow(portNumber, messages, programFolder, std::move(port));
  simulation->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(simulation, &SimulationWindow::PortHandedBack, &owner, &MainWindow::ReturnPort);
  simulation->Start();
  return simulation;
}

}  // namespace hopper
