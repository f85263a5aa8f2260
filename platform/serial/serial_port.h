#pragma once
// The serial port a window talks to the hopper through: chosen by number, fixed to the
// link's line settings (kSettingLine), raw bytes.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>

#include "core/line_check.h"
#include "platform/serial/device_identity.h"

namespace hopper {

enum class OpenResult {
  Opened,
  InvalidPort,   // no such port on this machine, or a number that names none
  PortInUse,     // another program holds it
  AccessDenied,  // the device exists but this user may not open it
  OtherFailure,
};

struct OpenOutcome {
  OpenResult result = OpenResult::OtherFailure;
  QString device;       // the device the port number stands for, when there is one
  QString detail;       // the system's own words, for the informative text of a message
  QString owningGroup;  // AccessDenied: the group that owns the device, when known
};

class SerialPort : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~SerialPort() override = default;

  // The number is kept even when opening it later fails.
  virtual void SetPortNumber(int portNumber) = 0;
  virtual int PortNumber() const = 0;
  // The device port n stands for on this machine now; empty when it stands for none.
  virtual QString DeviceFor(int portNumber) const = 0;
  // One line naming that device and why it is the one, or why there is none.
  virtual QString Explain(int portNumber) const {
    const QString device = DeviceFor(portNumber);
    return device.isEmpty() ? QStringLiteral("COM%1: no device").arg(portNumber)
                            : QStringLiteral("COM%1: %2").arg(portNumber).arg(device);
  }

  virtual OpenOutcome Open() = 0;
  // The device open now, with its stable name and USB serial number where the system tells
  // them. Learnt once for each opening (so again after a replug), never per question: asking
  // costs nothing. Empty while closed, and only the path where the port knows no more.
  virtual DeviceIdentity Identity() const { return {}; }
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // The line settings the driver did not take at the last opening, each with what to do;
  // empty when it took them all or does not tell.
  virtual QStringList LineTrouble() const { return {}; }
  // The parity and framing errors the driver counted on the open line; none where not counted.
  virtual std::optional<LineErrorCounts> ErrorCounts() const { return std::nullopt; }

  virtual qint64 BytesWaiting() = 0;
  // The next waiting byte, in the order received.
  virtual std::optional<std::uint8_t> ReadByte() = 0;
  // Everything waiting, discarded by the caller or not.
  virtual QByteArray ReadAll() = 0;
  // One byte in a write of its own; false when it could not be handed to the line.
  virtual bool WriteByte(std::uint8_t byte) = 0;
  // The bytes in one write; false when the line did not take them all.
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;

 signals:
  // At least one byte is waiting.
  void BytesArrived();
  // The device went away while open (adapter pulled, far end hung up); the port is closed by now.
  void DeviceLost(const QString& why);
  // The device lost while open is present again; the port is still closed. If opening it then
  // fails, the port goes on watching and says so again. Close() ends the watch.
  void DeviceReturned();
};

}  // namespace hopper
