#pragma once
// The line the emulated hopper talks over: a pseudo-terminal, a real serial device, or
// memory in tests. Bytes go out one write at a time; whatever arrives is signalled.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>

namespace hopper::emulator {

class ByteChannel : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~ByteChannel() override = default;

  // One byte onto the line. False when it went nowhere: the line is closed or nobody has
  // the far end open (a real line drops bytes that nobody listens to, so do we).
  virtual bool Write(std::uint8_t byte) = 0;
  // The cable is pulled: the line is gone for good.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Whether the far end is open; true wherever that cannot be known.
  virtual bool PeerPresent() const = 0;
  // What the far end should open.
  virtual QString FarEndName() const = 0;

 signals:
  void BytesReceived(const QByteArray& bytes);
  void PeerOpened();
  void PeerClosed();
  // The line failed on its own (device removed); it is closed by now.
  void Lost(const QString& why);
};

// A line in memory for tests: what is written is kept, what the far end says is pushed in.
class MemoryChannel final : public ByteChannel {
  Q_OBJECT
 public:
  using ByteChannel::ByteChannel;

  bool Write(std::uint8_t byte) override {
    if (!open_ || !peer_) return false;
    written.append(static_cast<char>(byte));
    return true;
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  bool PeerPresent() const override { return peer_; }
  QString FarEndName() const override { return QStringLiteral("memory"); }

  void Receive(const QByteArray& bytes) { emit BytesReceived(bytes); }
  void SetPeerPresent(bool present) {
    if (present == peer_) return;
    peer_ = present;
    if (present) emit PeerOpened();
    else emit PeerClosed();
  }

  QByteArray written;

 private:
  bool open_ = true;
  bool peer_ = true;
};

}  // namespace hopper::emulator
