// The main window's side of the serial port: start-up, the port selector, the hand-over to
// the simulation window and back, and what it shows when the device goes away and comes back.

#include <QLabel>
#include <optional>

#include "core/port_resolution.h"
#include "platform/files/settings_store.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/plain_text.h"
#include "ui/main_window.h"
#include "ui/port_chooser.h"
#include "ui/port_report.h"
#include "ui/port_selector.h"

namespace hopper {

namespace {

const QColor kRed(255, 0, 0);

bool EndsTheProgram(OpenResult result) { return result == OpenResult::InvalidPort || result == OpenResult::PortInUse; }

}  // namespace

bool MainWindow::StartUp() {
  const QString stored = portOverride_ ? QString::number(*portOverride_) : SettingsStore().ComPortText();
  const std::optional<int> number = ParseStoredPortNumber(stored.toStdString());
  if (!number) {
    // No message, as for every failure of this kind, but the window must not look alive.
    ShowPortTrouble(
        {OpenResult::OtherFailure, {}, QStringLiteral("The stored port \"%1\" is not a port number.").arg(stored), {}});
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
    link_->UsePortNumber(*number);
    outcome = OpenPort();
  }
  outcome = OfferPortChoice(outcome);
  if (outcome.result != OpenResult::Opened) {
    ShowPortTrouble(outcome);
    return !EndsTheProgram(outcome.result);
  }
  link_->Start();
  return true;
}

void MainWindow::ReturnPort() {
  if (ending_) return;  // closed already, its port number stored
  link_->HandBack();
  setEnabled(true);
  // Disabling the window took the focus away; the control that had it gets it back.
  if (focusBeforeHandOver_) focusBeforeHandOver_->setFocus(Qt::OtherFocusReason);
  focusBeforeHandOver_ = nullptr;
  OpenAndReport();
}

OpenOutcome MainWindow::OpenPort() {
  OpenOutcome outcome = link_->Open();
  ShowDeviceTip();
  ShowLineTrouble(outcome);
  return outcome;
}

void MainWindow::ShowLineTrouble(const OpenOutcome& outcome) {
  if (outcome.result != OpenResult::Opened) return;
  chooser_->NoteLineTrouble(outcome.device, Port().LineTrouble());
  // A tip about an earlier failure stays until the link starts over; a dropped setting replaces it.
  if (const QString tip = LineTroubleTip(); !tip.isEmpty()) statusLine_->setToolTip(tip);
}

QString MainWindow::LineTroubleTip() {
  const QStringList trouble = Port().LineTrouble();
  if (trouble.isEmpty()) return {};
  return PlainToolTip(QStringLiteral("The line is not as the hopper needs it (9600 baud, even parity, 8 data bits, "
                                     "1 stop bit):\n") +
                      trouble.join(QLatin1Char('\n')));
}

void MainWindow::ShowPortTrouble(const OpenOutcome& outcome) {
  SetStatus(kRed, PortTroubleCaption(Port().PortNumber()));
  statusLine_->setToolTip(PlainToolTip(PortTroubleDetail(outcome)));
  link_->MarkTrouble();
}

void MainWindow::StartOverAfterTrouble() {
  if (link_->StartOverAfterTrouble()) statusLine_->setToolTip(LineTroubleTip());
}

void MainWindow::OnPortChosen(int index) {
  UsePortNumber(index + 1);
  link_->MarkTrouble();  // another line, maybe another hopper: the link starts over on it
  OpenAndReport();
}

void MainWindow::OnDeviceLost(const QString& why) {
  ShowPortTrouble({OpenResult::OtherFailure,
                   Port().DeviceFor(Port().PortNumber()),
                   why + QStringLiteral("\nWaiting for the device to be plugged in again."),
                   {}});
}

void MainWindow::OnReconnected(const OpenOutcome& outcome) {
  ClearVerdictMark();  // the hopper may have been switched over meanwhile
  ShowDeviceTip();
  if (outcome.result == OpenResult::Opened) {
    statusLine_->setToolTip(QString());
    ShowLineTrouble(outcome);
  } else {
    ShowPortTrouble(outcome);
  }
}

void MainWindow::HandOverPort() {
  link_->HandOver();
  focusBeforeHandOver_ = focusWidget();
  setEnabled(false);
}

void MainWindow::OnSimulation() {
  HandOverPort();
  emit SimulationRequested(Port().PortNumber());
}

void MainWindow::ShowDeviceTip() { portSelector_->setToolTip(PlainToolTip(Port().Explain(Port().PortNumber()))); }

}  // namespace hopper
