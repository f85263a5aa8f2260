// The main window's side of the serial port: start-up, the port selector, the hand-over to
// the simulation window and back, and a device that goes away while open.

#include <QLabel>
#include <QTimer>
#include <optional>

#include "platform/serial/line_recorder.h"
#include "platform/serial/settings_store.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/plain_text.h"
#include "ui/form1.h"
#include "ui/port_report.h"
#include "ui/port_selector.h"

namespace hopper {

namespace {

const QColor kRed(255, 0, 0);

// The stored "COMPORT" as a whole number from 0 to 255, or nothing.
std::optional<int> StoredPortNumber(const QString& text) {
  bool ok = false;
  const int number = text.trimmed().toInt(&ok);
  if (!ok || number < 0 || number > 255) return std::nullopt;
  return number;
}

bool EndsTheProgram(OpenResult result) {
  return result == OpenResult::InvalidPort || result == OpenResult::PortInUse;
}

}  // namespace

bool Form1::StartUp() {
  const QString stored = portOverride_ ? QString::number(*portOverride_) : SettingsStore().ComPortText();
  const std::optional<int> number = StoredPortNumber(stored);
  if (!number) {
    // No message, as for every failure of this kind, but the window must not look alive.
    ShowPortTrouble({OpenResult::OtherFailure, {},
                     QStringLiteral("The stored port \"%1\" is not a port number.").arg(stored), {}});
    return true;
  }
  portSelector_->ShowPort(*number);
  PlaceWindow();
  OpenOutcome outcome;
  if (*number == 0) {
    // The port refuses the number itself and keeps the one it had.
    outcome.result = OpenResult::InvalidPort;
    outcome.detail = QStringLiteral("COM0 is not a port number.");
  } else {
    port_->SetPortNumber(*number);
    outcome = OpenPort();
  }
  outcome = OfferPortChoice(outcome);
  if (outcome.result != OpenResult::Opened) {
    ShowPortTrouble(outcome);
    return !EndsTheProgram(outcome.result);
  }
  StartLink();
  return true;
}

void Form1::StartLink() {
  link_.StartUp();
  if (recorder_) recorder_->Link(LinkEvent::Started);
}

void Form1::ReturnPort() {
  if (ending_) return;  // closed already, its port number stored
  handedOver_ = false;
  link_.PortReturned();
  setEnabled(true);
  // Disabling the window took the focus away; the control that had it gets it back.
  if (focusBeforeHandOver_) focusBeforeHandOver_->setFocus(Qt::OtherFocusReason);
  focusBeforeHandOver_ = nullptr;
  OpenAndReport();
}

OpenOutcome Form1::OpenPort() {
  OpenOutcome outcome = port_->Open();
  ShowDeviceTip();
  return outcome;
}

void Form1::ShowPortTrouble(const OpenOutcome& outcome) {
  SetStatus(kRed, PortTroubleCaption(port_->PortNumber()));
  statusLine_->setToolTip(PlainToolTip(PortTroubleDetail(outcome)));
  portTrouble_ = true;
}

void Form1::ReopenAfterTrouble() {
  // After a failure the link starts over: the hopper is asked for again and a port chosen
  // before start-up ever completed starts listening.
  if (!portTrouble_ && link_.State() != LinkState::None) return;
  portTrouble_ = false;
  statusLine_->setToolTip(QString());
  StartLink();
}

void Form1::OnPortChosen(int index) {
  UsePortNumber(index + 1);
  portTrouble_ = true;  // another line, maybe another hopper: the link starts over on it
  OpenAndReport();
}

void Form1::OnDeviceLost(const QString& why) {
  ShowPortTrouble({OpenResult::OtherFailure, port_->DeviceFor(port_->PortNumber()),
                   why + QStringLiteral("\nWaiting for the device to be plugged in again."), {}});
}

void Form1::OnSimulation() {
  port_->Close();
  // Closing the port ended any report on its way: nothing more of it can arrive to be watched.
  receiveWatch_->stop();
  focusBeforeHandOver_ = focusWidget();
  setEnabled(false);
  handedOver_ = true;
  emit SimulationRequested(port_->PortNumber());
}

void Form1::ShowDeviceTip() { portSelector_->setToolTip(PlainToolTip(port_->Explain(port_->PortNumber()))); }

}  // namespace hopper
