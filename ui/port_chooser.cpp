#include "ui/port_chooser.h"

#include "platform/serial/system_serial.h"
#include "ui/added_window.h"
#include "ui/port_assignment_window.h"

namespace hopper {

WindowPortChooser::WindowPortChooser(MessageBoxes& messages, std::shared_ptr<const DeviceListing> listing)
    : messages_(messages), listing_(listing ? std::move(listing) : MakeSystemDeviceListing()) {}

std::optional<int> WindowPortChooser::Choose(QWidget* parent, int portNumber) {
  PortAssignmentWindow window(listing_, messages_, portNumber, parent);
  window.SetLineTrouble(troubledDevice_, lineTrouble_);
  DressAddedWindow(&window, parent);
  window.show();
  KeepWithinScreen(&window);
  window.exec();
  return window.Assigned();
}

}  // namespace hopper
