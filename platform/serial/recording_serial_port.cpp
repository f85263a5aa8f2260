#include "platform/serial/recording_serial_port.h"

namespace hopper {

RecordingSerialPort::RecordingSerialPort(std::unique_ptr<SerialPort> port, LineRecorder& recorder, LineRole role,
                                         QObject* parent)
    : SerialPortWrapper(std::move(port), parent), recorder_(recorder), role_(role) {}

void RecordingSerialPort::OnDeviceLost(const QString& why) {
  recorder_.Port(role_, PortEvent::Lost, QStringLiteral("%1: %2").arg(PortName(), why));
  emit DeviceLost(why);
}

QString RecordingSerialPort::PortName() const {
  const int number = Behind().PortNumber();
  const QString device = Behind().DeviceFor(number);
  if (device.isEmpty()) return QStringLiteral("COM%1").arg(number);
  return number > 0 ? QStringLiteral("COM%1 (%2)").arg(number).arg(device) : device;  // 0: a path, no number
}

OpenOutcome RecordingSerialPort::Open() {
  OpenOutcome outcome = Behind().Open();
  if (outcome.result == OpenResult::Opened) recorder_.Port(role_, PortEvent::Opened, PortName());
  else recorder_.Port(role_, PortEvent::OpenFailed, QStringLiteral("%1: %2").arg(PortName(), outcome.detail));
  return outcome;
}

void RecordingSerialPort::Close() {
  const bool wasOpen = Behind().IsOpen();
  Behind().Close();
  // The simulation window always hands the line back as it closes, even when it never got it.
  if (wasOpen || role_ == LineRole::Simulation) recorder_.Port(role_, PortEvent::Closed, PortName());
}

std::optional<std::uint8_t> RecordingSerialPort::ReadByte() {
  const std::optional<std::uint8_t> byte = Behind().ReadByte();
  if (byte) recorder_.Received(role_, *byte);
  return byte;
}

QByteArray RecordingSerialPort::ReadAll() {
  const QByteArray bytes = Behind().ReadAll();
  if (!bytes.isEmpty())
    recorder_.Discarded(role_, {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())});
  return bytes;
}

bool RecordingSerialPort::WriteByte(std::uint8_t byte) {
  const bool written = Behind().WriteByte(byte);
  if (written) recorder_.Sent(role_, byte);
  return written;
}

}  // namespace hopper

namespace hopper {

bool RecordingSerialPort::Write(std::span<const std::uint8_t> bytes) {
  const bool written = Behind().Write(bytes);
  // A write that failed part-way may have put some bytes on the line; they are not known.
  if (written)
    for (const std::uint8_t byte : bytes) recorder_.Sent(role_, byte);
  return written;
}

}  // namespace hopper
