#include "ui/port_chooser.h"

#include "platform/serial/serial_device_list.h"
#include "ui/port_assignment_window.h"

namespace hopper {

WindowPortChooser::WindowPortChooser(MessageBoxes& messages, std::shared_ptr<const DeviceListing> listing)
    : messages_(messages), listing_(listing ? std::move(listing) : std::make_shared<QtDeviceListing>()) {}

std::optional<int> WindowPortChooser::Choose(QWidget* parent, int portNumber) {
  PortAssignmentWindow window(listing_, messages_, portNumber, parent);
  window.exec();
  return window.Assigned();
}

}  // namespace hopper
