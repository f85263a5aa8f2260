#include "platform/serial/patient_serial_port.h"

#include <QThread>
#include <QTimer>

namespace hopper {

PatientSerialPort::PatientSerialPort(std::unique_ptr<SerialPort> port, Pause pause, QObject* parent)
    : SerialPort(parent), port_(std::move(port)), pause_(std::move(pause)) {
  if (!pause_) pause_ = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
  port_->setParent(this);
  connect(port_.get(), &SerialPort::BytesArrived, this, &SerialPort::BytesArrived);
  connect(port_.get(), &SerialPort::DeviceLost, this, &SerialPort::DeviceLost);
  connect(port_.get(), &SerialPort::DeviceReturned, this, &PatientSerialPort::Returned);
}

OpenOutcome PatientSerialPort::Open() {
  const bool patient = std::exchange(patient_, false);
  OpenOutcome outcome = port_->Open();
  // Counted in steps, not by the clock: a busy machine does not shorten the patience.
  for (int waited = 0; patient && outcome.result == OpenResult::PortInUse && waited < kPatienceMs;
       waited += kRetryStepMs) {
    pause_(kRetryStepMs);
    outcome = port_->Open();
  }
  return outcome;
}

void PatientSerialPort::Close() {
  returnPending_ = false;
  port_->Close();
}

void PatientSerialPort::Returned() {
  patient_ = true;
  emit DeviceReturned();
}

void PatientSerialPort::Resumed() {
  patient_ = true;
  if (!port_->IsOpen()) return;  // closed, or lost and watched for already
  port_->Close();
  emit DeviceLost(QStringLiteral("The computer woke from sleep; the line is opened anew."));
  // After whoever was told of the loss has taken it in, as a replug would come.
  returnPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (std::exchange(returnPending_, false)) Returned();
  });
}

}  // namespace hopper
