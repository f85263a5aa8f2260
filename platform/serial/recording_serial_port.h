#pragma once
// A serial port that tells a LineRecorder everything that passes through it: the bytes read,
// written and discarded, and the port opening, closing and going away. It adds nothing to the
// line and changes nothing about how the port behaves.

#include <memory>

#include "platform/serial/line_recorder.h"
#include "platform/serial/serial_port_wrapper.h"

namespace hopper {

class RecordingSerialPort final : public SerialPortWrapper {
  Q_OBJECT
 public:
  RecordingSerialPort(std::unique_ptr<SerialPort> port, LineRecorder& recorder, LineRole role,
                      QObject* parent = nullptr);

  OpenOutcome Open() override;
  void Close() override;
  std::optional<std::uint8_t> ReadByte() override;
  // Whoever reads everything at once throws it away: recorded as discarded.
  QByteArray ReadAll() override;
  bool WriteByte(std::uint8_t byte) override;
  bool Write(std::span<const std::uint8_t> bytes) override;

 private:
  void OnDeviceLost(const QString& why) override;
  QString PortName() const;

  LineRecorder& recorder_;
  LineRole role_;
};

}  // namespace hopper
