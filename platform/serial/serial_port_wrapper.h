#pragma once
// A serial port in front of another one: every call and every signal passes through to and from
// the port behind it. What stands in front of a port (the recording of its traffic, the patience
// after a replug) overrides only what it adds.

#include <memory>

#include "platform/serial/serial_port.h"

namespace hopper {

class SerialPortWrapper : public SerialPort {
  Q_OBJECT
 public:
  void SetPortNumber(int portNumber) override { port_->SetPortNumber(portNumber); }
  int PortNumber() const override { return port_->PortNumber(); }
  QString DeviceFor(int portNumber) const override { return port_->DeviceFor(portNumber); }
  QString Explain(int portNumber) const override { return port_->Explain(portNumber); }

  OpenOutcome Open() override { return port_->Open(); }
  void Close() override { port_->Close(); }
  bool IsOpen() const override { return port_->IsOpen(); }
  DeviceIdentity Identity() const override { return port_->Identity(); }
  QStringList LineTrouble() const override { return port_->LineTrouble(); }
  std::optional<LineErrorCounts> ErrorCounts() const override { return port_->ErrorCounts(); }

  qint64 BytesWaiting() override { return port_->BytesWaiting(); }
  std::optional<std::uint8_t> ReadByte() override { return port_->ReadByte(); }
  QByteArray ReadAll() override { return port_->ReadAll(); }
  bool WriteByte(std::uint8_t byte) override { return port_->WriteByte(byte); }
  bool Write(std::span<const std::uint8_t> bytes) override { return port_->Write(bytes); }

 protected:
  explicit SerialPortWrapper(std::unique_ptr<SerialPort> port, QObject* parent = nullptr);

  SerialPort& Behind() const { return *port_; }
  // The port behind lost its device, or found it again: passed on as they are unless overridden.
  virtual void OnDeviceLost(const QString& why) { emit DeviceLost(why); }
  virtual void OnDeviceReturned() { emit DeviceReturned(); }

 private:
  std::unique_ptr<SerialPort> port_;
};

}  // namespace hopper
