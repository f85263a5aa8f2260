// The setting link's port: its number, opening it, the hand-over to the simulation window and
// back, and an adapter that was pulled out and plugged in again.

#include "platform/serial/setting_link.h"

namespace hopper {

bool SettingLink::UsePortNumber(int portNumber) {
  judge_.Interrupted();
  port_->Close();
  // Closing the port ended any report on its way: nothing more of it can arrive to be watched.
  receiveWatch_->stop();
  emit PortClosed();
  const bool changed = portNumber != port_->PortNumber();
  if (changed) held_.HopperChanged(PortLabel().toStdString());
  port_->SetPortNumber(portNumber);
  return changed;
}

OpenOutcome SettingLink::Open() { return port_->Open(); }

bool SettingLink::StartOverAfterTrouble() {
  // After a failure the link starts over: the hopper is asked for again, and a port chosen
  // before start-up ever completed starts listening.
  if (!trouble_ && machine_.State() != LinkState::None) return false;
  trouble_ = false;
  Start();
  return true;
}

void SettingLink::HandOver() {
  judge_.Interrupted();
  port_->Close();
  // Closing the port ended any report on its way: nothing more of it can arrive to be watched.
  receiveWatch_->stop();
  handedOver_ = true;
  emit PortClosed();
}

void SettingLink::HandBack() {
  handedOver_ = false;
  machine_.PortReturned();
}

void SettingLink::OnDeviceLost(const QString& why) {
  // The port is closed by now and watches for the device; the next opening starts over.
  trouble_ = true;
  lossReason_ = why;
  judge_.PortLost();
  emit DeviceLost(why);
}

void SettingLink::OnDeviceReturned() {
  if (handedOver_ || port_->IsOpen()) return;
  if (responseWatch_->isActive()) {
    reconnectPending_ = true;
    return;
  }
  Reconnect();
}

void SettingLink::Reconnect() {
  // No question: the technician plugged the adapter back in and expects the tool to carry on.
  const OpenOutcome outcome = Open();
  if (outcome.result == OpenResult::Opened) StartOverAfterTrouble();
  emit Reconnected(outcome);
}

QString SettingLink::PortLabel() const {
  // A port given by its path has no number: the backup is named by the device.
  const int number = port_->PortNumber();
  return number > 0 ? QStringLiteral("COM%1").arg(number) : port_->DeviceFor(number);
}

}  // namespace hopper
