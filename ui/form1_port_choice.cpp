// The main window's way out of port trouble: the port assignment window from the menu and from
// the boxes of a failed opening, and the reopening of a device that was unplugged and came back.

#include <QAction>
#include <QMenuBar>
#include <QTimer>

#include "platform/widgets/message_box.h"
#include "ui/channel_frame.h"
#include "ui/form1.h"
#include "ui/port_chooser.h"
#include "ui/port_report.h"
#include "ui/port_selector.h"

namespace hopper {

void Form1::WirePortChoice() {
  chooser_ = std::make_unique<WindowPortChooser>(messages_);
  portsAction_ = menuBar()->addAction(QStringLiteral("P&orts…"));
  portsAction_->setObjectName(QStringLiteral("Ports"));
  connect(portsAction_, &QAction::triggered, this, &Form1::OnPortsCommand);
  connect(port_.get(), &SerialPort::DeviceReturned, this, &Form1::OnDeviceReturned);
  // Runs after the response watch's own handler: a save in flight is over before the port
  // that came back during it is reopened.
  connect(responseWatch_, &QTimer::timeout, this, [this] {
    if (!reconnectPending_) return;
    reconnectPending_ = false;
    Reconnect();
  });
}

void Form1::SetPortChooser(std::unique_ptr<PortChooser> chooser) { chooser_ = std::move(chooser); }

OpenOutcome Form1::OfferPortChoice(OpenOutcome outcome) {
  // The box of a failed opening offers the assignment window; OK leaves it at the failure.
  while (outcome.result != OpenResult::Opened) {
    const std::optional<Message> message = OpenFailureMessage(outcome);
    if (!message || !messages_.ShowWithChoice(this, *message, QString::fromUtf8(kChoosePort))) break;
    if (const std::optional<int> number = chooser_->Choose(this, port_->PortNumber())) UsePortNumber(*number);
    outcome = OpenPort();
  }
  return outcome;
}

void Form1::OpenAndReport() {
  const OpenOutcome outcome = OfferPortChoice(OpenPort());
  if (outcome.result == OpenResult::Opened) ReopenAfterTrouble();
  else ShowPortTrouble(outcome);
}

void Form1::UsePortNumber(int portNumber) {
  port_->Close();
  // Closing the port ended any report on its way: nothing more of it can arrive to be watched.
  receiveWatch_->stop();
  if (portNumber != port_->PortNumber()) {
    held_.HopperChanged(QStringLiteral("COM%1").arg(port_->PortNumber()).toStdString());
    frame_->ShowMarks(held_);
    ShowVerification();
  }
  port_->SetPortNumber(portNumber);
  portSelector_->ShowPort(portNumber);
}

void Form1::OnPortsCommand() {
  const std::optional<int> number = chooser_->Choose(this, port_->PortNumber());
  if (!number) return;
  // The port reopens on the device just assigned, which may be the one it had.
  UsePortNumber(*number);
  portTrouble_ = true;  // the link starts over on the reopened port
  OpenAndReport();
}

void Form1::OnDeviceReturned() {
  if (handedOver_ || port_->IsOpen()) return;
  if (responseWatch_->isActive()) {
    reconnectPending_ = true;
    return;
  }
  Reconnect();
}

void Form1::Reconnect() {
  // No box: the technician plugged the adapter back in and expects the tool to carry on.
  const OpenOutcome outcome = OpenPort();
  if (outcome.result == OpenResult::Opened) ReopenAfterTrouble();
  else ShowPortTrouble(outcome);
}

}  // namespace hopper
