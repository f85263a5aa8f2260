#pragma once
// The hand-over of the serial line from the main window to a new simulation window, and back.

#include <QString>
#include <memory>

namespace hopper {

class MainWindow;
class SimulationWindow;
class MessageBoxes;
class SerialPort;

// Runs when the main window has closed its port and disabled itself: opens a simulation
// window on `portNumber`, which gives the port back to `owner` as it goes away (at once, after
// its message, when it cannot open the port). The window deletes itself when closed; it has
// no parent, since a disabled main window would disable it too.
SimulationWindow* OpenSimulationWindow(MainWindow& owner, int portNumber, MessageBoxes& messages,
                                       const QString& programFolder, std::unique_ptr<SerialPort> port = nullptr);

}  // namespace hopper
