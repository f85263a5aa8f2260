#pragma once
// A serial port that opens or fails as told and records what is written, for the cases a
// pseudo-terminal cannot show (access refused, a line that takes no bytes).

#include "platform/serial_port.h"

class FakeSerialPort final : public hopper::SerialPort {
 public:
  FakeSerialPort() {
    openOutcome.result = hopper::OpenResult::Opened;
    openOutcome.device = QStringLiteral("/dev/fake");
  }

  hopper::OpenOutcome openOutcome;
  int writesBeforeFailure = -1;  // -1: every write succeeds
  QByteArray written;
  QByteArray waiting;
  bool open = false;
  int portNumber = 0;

  void SetPortNumber(int n) override { portNumber = n; }
  int PortNumber() const override { return portNumber; }
  QString DeviceFor(int) const override { return openOutcome.device; }
  hopper::OpenOutcome Open() override {
    open = openOutcome.result == hopper::OpenResult::Opened;
    return openOutcome;
  }
  void Close() override { open = false; }
  bool IsOpen() const override { return open; }
  qint64 BytesWaiting() override { return waiting.size(); }
  std::optional<std::uint8_t> ReadByte() override {
    if (waiting.isEmpty()) return std::nullopt;
    const auto byte = static_cast<std::uint8_t>(waiting.front());
    waiting.remove(0, 1);
    return byte;
  }
  QByteArray ReadAll() override { return std::exchange(waiting, {}); }
  bool WriteByte(std::uint8_t byte) override {
    if (writesBeforeFailure == 0) return false;
    if (writesBeforeFailure > 0) --writesBeforeFailure;
    written.append(static_cast<char>(byte));
    return true;
  }
};
