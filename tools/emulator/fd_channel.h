#pragma once
// A line behind a file descriptor: the master side of a pseudo-terminal, or a serial device.

#include <termios.h>

#include <QSocketNotifier>
#include <memory>

#include "tools/emulator/byte_channel.h"

namespace hopper::emulator {

// Raw bytes at the link's speed (kSettingLine); `framing` adds its parity, data and stop bits,
// which a pseudo-terminal does not need.
void SetLineSettings(termios& tio, bool framing);

class FdChannel : public ByteChannel {
  Q_OBJECT
 public:
  using ByteChannel::ByteChannel;
  ~FdChannel() override;

  bool Write(std::uint8_t byte) override;
  void Close() override;
  bool IsOpen() const override { return fd_ >= 0; }
  bool PeerPresent() const override { return IsOpen() && peerPresent_; }

 protected:
  // Takes the descriptor (non-blocking) and starts listening when the far end is there.
  void Adopt(int fd, bool peerPresent);
  void SetListening(bool on);
  // A read failed or found the end: the pty's far end went away, or the device did.
  virtual void ReadFailed(int error) = 0;
  virtual void BeforeClose() {}

  int fd_ = -1;
  bool peerPresent_ = false;

 private:
  void ReadWaiting();

  std::unique_ptr<QSocketNotifier> notifier_;
};

// A serial device given by path (a null-modem cable to the tool's machine), set to the
// link's line settings (kSettingLine), raw.
class DeviceChannel final : public FdChannel {
  Q_OBJECT
 public:
  using FdChannel::FdChannel;
  // Empty on success, else what went wrong.
  QString Open(const QString& path);
  QString FarEndName() const override { return path_; }

 protected:
  void ReadFailed(int error) override;

 private:
  QString path_;
};

}  // namespace hopper::emulator
