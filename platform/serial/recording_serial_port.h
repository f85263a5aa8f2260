#pragma once
// A serial port that tells a LineRecorder everything that passes through it: the bytes read,
// written and discarded, and the port opening, closing and going away. It adds nothing to the
// line and changes nothing about how the port behaves.

#include <memory>

#include "platform/serial/line_recorder.h"
#include "platform/serial/serial_port.h"

namespace hopper {

class RecordingSerialPort final : public SerialPort {
  Q_OBJECT
 public:
  RecordingSerialPort(std::unique_ptr<SerialPort> port, LineRecorder& recorder, LineRole role,
                      QObject* parent = nullptr);

  void SetPortNumber(int portNumber) override { port_->SetPortNumber(portNumber); }
  int PortNumber() const override { return port_->PortNumber(); }
  QString DeviceFor(int portNumber) const override { return port_->DeviceFor(portNumber); }
  QString Explain(int portNumber) const override { return port_->Explain(portNumber); }

  OpenOutcome Open() override;
  void Close() override;
  bool IsOpen() const override { return port_->IsOpen(); }
  DeviceIdentity Identity() const override { return port_->Identity(); }
  QStringList LineTrouble() const override { return port_->LineTrouble(); }
  std::optional<LineErrorCounts> ErrorCounts() const override { return port_->ErrorCounts(); }

  qint64 BytesWaiting() override { return port_->BytesWaiting(); }
  std::optional<std::uint8_t> ReadByte() override;
  // Whoever reads everything at once throws it away: recorded as discarded.
  QByteArray ReadAll() override;
  bool WriteByte(std::uint8_t byte) override;
  bool Write(std::span<const std::uint8_t> bytes) override;

 private:
  QString PortName() const;

  std::unique_ptr<SerialPort> port_;
  LineRecorder& recorder_;
  LineRole role_;
};

}  // namespace hopper
