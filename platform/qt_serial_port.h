#pragma once
// SerialPort on Qt's QSerialPort. On Linux and macOS port n is the device named by the
// setting "Ports/COMn", else /dev/ttyS<n-1>; on Windows it is "COMn".

#include <QSerialPort>

#include "platform/serial_port.h"

namespace hopper {

class SettingsStore;

// The kind of a failed open(). A held lock, an exclusive open elsewhere and a device this user
// may not open all come back from Qt as PermissionError: only the last fails the access test.
OpenResult ClassifyOpenFailure(QSerialPort::SerialPortError error, bool accessAllowed);

class QtSerialPort final : public SerialPort {
  Q_OBJECT
 public:
  explicit QtSerialPort(QObject* parent = nullptr);

  void SetPortNumber(int portNumber) override;
  int PortNumber() const override { return portNumber_; }
  QString DeviceFor(int portNumber) const override;

  OpenOutcome Open() override;
  void Close() override;
  bool IsOpen() const override { return port_.isOpen(); }

  qint64 BytesWaiting() override;
  std::optional<std::uint8_t> ReadByte() override;
  QByteArray ReadAll() override;
  bool WriteByte(std::uint8_t byte) override;
  bool Write(std::span<const std::uint8_t> bytes) override;

  // What the port was given, for tests: a pseudo-terminal cannot show a wrong parity.
  const QSerialPort& Port() const { return port_; }

 private:
  void OnError(QSerialPort::SerialPortError error);
  void CloseAfterLoss(const QString& why);

  QSerialPort port_;
  int portNumber_ = 0;
  bool lossPending_ = false;
};

}  // namespace hopper
