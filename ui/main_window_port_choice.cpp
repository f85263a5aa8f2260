// The main window's way out of port trouble: the port assignment window from the menu and from
// the boxes of a failed opening.

#include "platform/widgets/message_box.h"
#include "ui/channel_frame.h"
#include "ui/main_window.h"
#include "ui/port_chooser.h"
#include "ui/port_report.h"
#include "ui/port_selector.h"

namespace hopper {

void MainWindow::WirePortChoice() { chooser_ = std::make_unique<WindowPortChooser>(messages_); }

void MainWindow::SetPortChooser(std::unique_ptr<PortChooser> chooser) { chooser_ = std::move(chooser); }

OpenOutcome MainWindow::OfferPortChoice(OpenOutcome outcome) {
  // The box of a failed opening offers the assignment window; OK leaves it at the failure.
  while (outcome.result != OpenResult::Opened) {
    const std::optional<Message> message = OpenFailureMessage(outcome);
    if (!message || !messages_.ShowWithChoice(this, *message, QString::fromUtf8(kChoosePort))) break;
    if (const std::optional<int> number = chooser_->Choose(this, Port().PortNumber())) UsePortNumber(*number);
    outcome = OpenPort();
  }
  return outcome;
}

void MainWindow::OpenAndReport() {
  const OpenOutcome outcome = OfferPortChoice(OpenPort());
  if (outcome.result == OpenResult::Opened) StartOverAfterTrouble();
  else ShowPortTrouble(outcome);
}

void MainWindow::UsePortNumber(int portNumber) {
  if (link_->UsePortNumber(portNumber)) {
    // Another port, maybe another hopper: nothing it holds is known.
    frame_->ShowMarks(Held());
    ClearVerdictMark();
  }
  portSelector_->ShowPort(portNumber);
}

void MainWindow::OnPortsCommand() {
  const std::optional<int> number = chooser_->Choose(this, Port().PortNumber());
  if (!number) return;
  // The port reopens on the device just assigned, which may be the one it had.
  UsePortNumber(*number);
  link_->MarkTrouble();  // the link starts over on the reopened port
  OpenAndReport();
}

}  // namespace hopper
