#include "tools/emulator/transmitter.h"

#include <algorithm>

namespace hopper::emulator {

Transmitter::Transmitter(ByteChannel& channel, QObject* parent) : QObject(parent), channel_(channel) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &Transmitter::Pump);
  clock_.start();
}

void Transmitter::Queue(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty() || pulling_) return;
  const bool wasIdle = queue_.empty();
  queue_.insert(queue_.end(), bytes.begin(), bytes.end());
  if (!wasIdle) return;
  // A line that has been quiet starts the next byte now, not where the last burst ended.
  nextDueUs_ = std::max(nextDueUs_, clock_.nsecsElapsed() / 1000);
  Pump();
}

int Transmitter::BacklogMs() const {
  const qint64 us = static_cast<qint64>(queue_.size()) * byteTimeUs_;
  return static_cast<int>((us + 999) / 1000);
}

bool Transmitter::PullCableNow() {
  if (pulling_) return true;
  if (!pullAfter_ || sent_ < *pullAfter_ || !channel_.IsOpen()) return false;
  pulling_ = true;
  queue_.clear();
  QTimer::singleShot(kCableGraceMs, this, &Transmitter::CutLine);
  return true;
}

void Transmitter::CutLine() {
  channel_.Close();
  emit CablePulled(sent_);
}

void Transmitter::Pump() {
  const qint64 nowUs = clock_.nsecsElapsed() / 1000;
  while (!queue_.empty() && (byteTimeUs_ == 0 || nextDueUs_ <= nowUs)) {
    if (PullCableNow()) return;
    const std::uint8_t byte = queue_.front();
    queue_.pop_front();
    if (channel_.Write(byte)) {
      ++sent_;
    } else {
      ++lost_;
    }
    nextDueUs_ += byteTimeUs_;
  }
  if (PullCableNow()) return;
  if (!queue_.empty()) {
    timer_.start(static_cast<int>((nextDueUs_ - nowUs + 999) / 1000));
    return;
  }
  if (lost_ > 0 && !lossReportDue_) {
    // One report for everything lost in a row, not one for each message.
    lossReportDue_ = true;
    QTimer::singleShot(0, this, [this] {
      lossReportDue_ = false;
      if (lost_ == 0) return;
      emit BytesLost(lost_);
      lost_ = 0;
    });
  }
  emit AllSent();
}

}  // namespace hopper::emulator
