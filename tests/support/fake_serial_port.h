#pragma once
// A serial port that needs no device: a test decides how opening goes, feeds received bytes
// and reads what was written. For the cases a pseudo-terminal cannot show (access denied as root,
// a line that stops taking bytes).

#include <QByteArray>
#include <deque>

#include "platform/serial/serial_port.h"

namespace hopper::test {

class FakeSerialPort final : public SerialPort {
  Q_OBJECT
 public:
  using SerialPort::SerialPort;

  // How the next Open() ends; the device defaults to "/dev/fake<n>".
  OpenOutcome nextOpen{OpenResult::Opened, {}, {}, {}};
  // Results taken first, one an Open(), before nextOpen answers again.
  std::deque<OpenResult> openSequence;
  QByteArray written;  // every byte written while open, in order
  int openCalls = 0;
  // How many more bytes the line takes before every write fails; -1: it never fails.
  int writesBeforeFailure = -1;
  // What the driver did not take, as the port reports it while open.
  QStringList lineTrouble;

  void SetPortNumber(int portNumber) override { portNumber_ = portNumber; }
  int PortNumber() const override { return portNumber_; }
  QString DeviceFor(int portNumber) const override {
    return portNumber > 0 ? QStringLiteral("/dev/fake%1").arg(portNumber) : QString();
  }
  OpenOutcome Open() override {
    ++openCalls;
    OpenOutcome outcome = nextOpen;
    if (!openSequence.empty()) {
      outcome.result = openSequence.front();
      openSequence.pop_front();
    }
    if (outcome.device.isEmpty()) outcome.device = DeviceFor(portNumber_);
    open_ = outcome.result == OpenResult::Opened;
    return outcome;
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  QStringList LineTrouble() const override { return lineTrouble; }

  qint64 BytesWaiting() override { return open_ ? static_cast<qint64>(incoming_.size()) : 0; }
  std::optional<std::uint8_t> ReadByte() override {
    if (!open_ || incoming_.empty()) return std::nullopt;
    const std::uint8_t byte = incoming_.front();
    incoming_.pop_front();
    return byte;
  }
  QByteArray ReadAll() override {
    QByteArray all;
    while (const auto byte = ReadByte()) all.append(static_cast<char>(*byte));
    return all;
  }
  bool WriteByte(std::uint8_t byte) override {
    if (!open_ || writesBeforeFailure == 0) return false;
    if (writesBeforeFailure > 0) --writesBeforeFailure;
    written.append(static_cast<char>(byte));
    return true;
  }

  bool Write(std::span<const std::uint8_t> bytes) override {
    for (const std::uint8_t byte : bytes)
      if (!WriteByte(byte)) return false;
    return true;
  }

  // Bytes from the far end: queued, then announced as a real port would.
  void Receive(const QByteArray& bytes) {
    for (char c : bytes) incoming_.push_back(static_cast<std::uint8_t>(c));
    if (open_) emit BytesArrived();
  }
  // The device goes away.
  void Lose() {
    open_ = false;
    emit DeviceLost(QStringLiteral("device went away"));
  }
  // The device lost is there again.
  void Return() { emit DeviceReturned(); }

 private:
  int portNumber_ = 0;
  bool open_ = false;
  std::deque<std::uint8_t> incoming_;
};

}  // namespace hopper::test
