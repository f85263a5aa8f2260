#pragma once
// SerialPort on the Win32 calls (Windows). Port n is the Windows port COMn unless its
// "Ports/COMn" assignment names another. The port is opened for overlapped use: a read of one
// byte is always pending and its completion event, watched by the event loop, hands that byte
// and whatever else is waiting over and issues the next read, so nothing ever waits for a byte. After the device goes
// away, the port looks at the port list once a second and says when it is back.

#include <QByteArray>
#include <QTimer>
#include <QWinEventNotifier>
#include <array>
#include <memory>

#include "platform/serial/serial_device_list.h"
#include "platform/serial/serial_port.h"

#include <windows.h>

namespace hopper {

// The kind of a failed CreateFile on a COM port. Windows gives a port to one program at a time
// and tells the next one "access denied": that is a port in use.
OpenResult ClassifyOpenError(DWORD error);

// `base` with the setting link's line settings (9600 baud, 8 data bits, even parity, one stop
// bit), binary, no flow control of any kind.
DCB SettingLineState(DCB base);

// Reads end when the bytes asked for are there; writes give up when the line has taken nothing
// for a second beyond the time the bytes need.
COMMTIMEOUTS SettingLineTimeouts();

class Win32SerialPort final : public SerialPort {
  Q_OBJECT
 public:
  static constexpr int kReplugCheckMs = 1000;

  explicit Win32SerialPort(std::shared_ptr<const DeviceListing> listing, QObject* parent = nullptr);
  ~Win32SerialPort() override;

  void SetPortNumber(int portNumber) override { portNumber_ = portNumber; }
  int PortNumber() const override { return portNumber_; }
  QString DeviceFor(int portNumber) const override;
  QString Explain(int portNumber) const override;
  // Opens this device ("COM12", "\\.\COM12") instead of the one the port number stands for;
  // empty: the number's.
  void SetDevice(const QString& device) { device_ = device; }

  OpenOutcome Open() override;
  void Close() override;
  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
  DeviceIdentity Identity() const override;

  qint64 BytesWaiting() override { return received_.size(); }
  std::optional<std::uint8_t> ReadByte() override;
  QByteArray ReadAll() override;
  bool WriteByte(std::uint8_t byte) override;
  bool Write(std::span<const std::uint8_t> bytes) override;

  // The line state the port handed to SetCommState, for tests: behind a pseudo-terminal the
  // state read back cannot show parity.
  const DCB& LineState() const { return lineState_; }

 private:
  OpenOutcome OpenDevice(const QString& device);
  void StartRead();
  void ReadCompleted();
  // Takes every byte waiting in the driver; false when the line failed (the port is closed).
  bool TakeWaiting();
  void StopReading();
  void CloseAfterLoss(const QString& why);
  void CheckReturn();

  std::shared_ptr<const DeviceListing> listing_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  OVERLAPPED readOverlapped_{};
  OVERLAPPED takeOverlapped_{};
  OVERLAPPED writeOverlapped_{};
  std::array<char, 4096> readBuffer_{};
  bool readPending_ = false;
  QWinEventNotifier readDone_;
  QByteArray received_;
  DCB lineState_{};
  QTimer replugTimer_;
  QString opened_;                   // the port name open now
  mutable DeviceIdentity identity_;  // of opened_, learnt at the first question after each opening
  QString lost_;                     // the port name lost while open, until it is open again or the port closed
  int portNumber_ = 0;
  QString device_;
};

}  // namespace hopper
