#pragma once
// Puts queued bytes onto the line one write at a time, paced like a real line
// (about 1.15 ms a byte at 9600 baud with 11 bits a byte) or as fast as possible,
// and pulls the cable after a given number of bytes when asked to.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "tools/emulator/byte_channel.h"

namespace hopper::emulator {

// 1 start bit, 8 data bits, the parity bit and 1 stop bit at 9600 baud.
inline constexpr int kByteTimeUs = 11 * 1000000 / 9600;

class Transmitter final : public QObject {
  Q_OBJECT
 public:
  explicit Transmitter(ByteChannel& channel, QObject* parent = nullptr);

  // 0: as fast as the line takes them.
  void SetByteTimeUs(int us) { byteTimeUs_ = us < 0 ? 0 : us; }
  void SetPullCableAfter(std::optional<std::size_t> bytes) { pullAfter_ = bytes; }

  void Queue(const std::vector<std::uint8_t>& bytes);
  // Forgets what has not gone out yet (the hopper was switched off and on).
  void Clear() { queue_.clear(); }

  // Roughly how long the queued bytes still take.
  int BacklogMs() const;
  bool Pending() const { return !queue_.empty(); }

 signals:
  void CablePulled(std::size_t afterBytes);
  // Bytes that went nowhere because nobody had the far end open.
  void BytesLost(std::size_t count);
  void AllSent();

 private:
  void Pump();
  bool PullCableNow();
  void CutLine();

  ByteChannel& channel_;
  std::deque<std::uint8_t> queue_;
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 nextDueUs_ = 0;
  int byteTimeUs_ = kByteTimeUs;
  std::optional<std::size_t> pullAfter_;
  std::size_t sent_ = 0;
  std::size_t lost_ = 0;
  bool pulling_ = false;
  bool lossReportDue_ = false;
};

// The line goes dead this long after the last byte, so that bytes already on their way
// still reach the far end (closing a pseudo-terminal at once would throw them away).
inline constexpr int kCableGraceMs = 100;

}  // namespace hopper::emulator
