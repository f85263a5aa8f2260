#include "platform/serial/patient_serial_port.h"

#include <QThread>
#include <QTimer>

namespace hopper {

PatientSerialPort::PatientSerialPort(std::unique_ptr<SerialPort> port, Pause pause, QObject* parent)
    : SerialPortWrapper(std::move(port), parent), pause_(std::move(pause)) {
  if (!pause_) pause_ = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
}

OpenOutcome PatientSerialPort::Open() {
  const bool patient = std::exchange(patient_, false);
  OpenOutcome outcome = Behind().Open();
  // Counted in steps, not by the clock: a busy machine does not shorten the patience.
  for (int waited = 0; patient && outcome.result == OpenResult::PortInUse && waited < kPatienceMs;
       waited += kRetryStepMs) {
    pause_(kRetryStepMs);
    outcome = Behind().Open();
  }
  return outcome;
}

void PatientSerialPort::Close() {
  returnPending_ = false;
  Behind().Close();
}

void PatientSerialPort::OnDeviceReturned() {
  patient_ = true;
  emit DeviceReturned();
}

void PatientSerialPort::Resumed() {
  patient_ = true;
  if (!Behind().IsOpen()) return;  // closed, or lost and watched for already
  Behind().Close();
  emit DeviceLost(QStringLiteral("The computer woke from sleep; the line is opened anew."));
  // After whoever was told of the loss has taken it in, as a replug would come.
  returnPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (std::exchange(returnPending_, false)) OnDeviceReturned();
  });
}

}  // namespace hopper
