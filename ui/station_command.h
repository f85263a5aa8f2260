#pragma once
// Opening the station window: from the main window's Parameter > Station… on the main window's
// own port, or on its own from the command line (--station FILE).

#include <QString>
#include <vector>

#include "platform/station/station.h"

class QWidget;

namespace hopper {

class FileDialog;
class Journal;
class MainWindow;
class MessageBoxes;
class StationWindow;

// The main window has handed its port over: asks for the set, then runs the station on
// `portNumber` until its window closes, when the port goes back to `owner` (at once when there
// is no set or the port does not open). The window deletes itself when closed.
// With a `journal`, every unit is kept in it.
StationWindow* OpenStationFromMenu(MainWindow& owner, int portNumber, FileDialog& dialog, MessageBoxes& messages,
                                   Journal* journal = nullptr);

// The station window on `ports` with the set in `setPath`, beside `owner` when given; nullptr,
// after a message, when the file is refused.
StationWindow* OpenStation(const QString& setPath, const std::vector<StationPort>& ports, MessageBoxes& messages,
                           Journal* journal = nullptr, QWidget* owner = nullptr);

}  // namespace hopper
