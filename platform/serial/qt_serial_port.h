#pragma once
// SerialPort on Qt's QSerialPort. Port n is the device its "Ports/COMn" assignment names, else
// the one the first-start rule gives it (see core/port_resolution.h); on Windows "COMn" unless
// assigned. After the device goes away, the port watches for it and says when it is back.

#include <QSerialPort>
#include <memory>

#include "platform/serial/driver_line.h"
#include "platform/serial/replug_watch.h"
#include "platform/serial/serial_port.h"

namespace hopper {

class SettingsStore;

// The kind of a failed open(). A held lock, an exclusive open elsewhere and a device this user
// may not open all come back from Qt as PermissionError: only the last fails the access test.
OpenResult ClassifyOpenFailure(QSerialPort::SerialPortError error, bool accessAllowed);

class QtSerialPort final : public SerialPort {
  Q_OBJECT
 public:
  explicit QtSerialPort(QObject* parent = nullptr);
  // Over another device listing than the machine's own (tests).
  explicit QtSerialPort(std::shared_ptr<const DeviceListing> listing, QObject* parent = nullptr);

  void SetPortNumber(int portNumber) override;
  int PortNumber() const override { return portNumber_; }
  QString DeviceFor(int portNumber) const override;
  // Opens this device instead of the one the port number stands for; empty: the number's.
  void SetDevice(const QString& device) { device_ = device; }
  QString Explain(int portNumber) const override;

  OpenOutcome Open() override;
  void Close() override;
  bool IsOpen() const override { return port_.isOpen(); }
  DeviceIdentity Identity() const override;
  QStringList LineTrouble() const override { return lineTrouble_; }
  std::optional<LineErrorCounts> ErrorCounts() const override;
  // Asks another than the system's own driver what it took (tests).
  void SetDriverLine(std::shared_ptr<const DriverLine> driver) { driverLine_ = std::move(driver); }

  qint64 BytesWaiting() override;
  std::optional<std::uint8_t> ReadByte() override;
  QByteArray ReadAll() override;
  bool WriteByte(std::uint8_t byte) override;
  bool Write(std::span<const std::uint8_t> bytes) override;

  // What the port was given, for tests: a pseudo-terminal cannot show a wrong parity.
  const QSerialPort& Port() const { return port_; }

 private:
  void OnError(QSerialPort::SerialPortError error);
  void LearnIdentity() const;
  void CloseAfterLoss(const QString& why);
  OpenOutcome OpenDevice(const QString& device);

  std::shared_ptr<const DeviceListing> listing_;
  std::shared_ptr<const DriverLine> driverLine_;
  QStringList lineTrouble_;  // what the driver did not take at the last opening
  QSerialPort port_;
  ReplugWatch replug_;
  // What the port has open now; its stable name and serial number are learnt a moment after the
  // opening, or at the first question before then.
  mutable DeviceIdentity opened_;
  DeviceIdentity lost_;  // what went away while open, until it is open again or the port closed
  int portNumber_ = 0;
  QString device_;
  bool lossPending_ = false;
  mutable bool identityLearned_ = false;  // opened_ has the stable name and serial number, if any
};

}  // namespace hopper
