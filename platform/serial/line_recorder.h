#pragma once
// The record of the hopper line's traffic since the program started: decoded entries in a
// bounded ring for the line monitor, and optionally appended to a log file as they complete.
// Qt Core only.

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <cstdint>
#include <span>

#include "core/traffic_decoder.h"
#include "core/traffic_entry.h"

namespace hopper {

class LineRecorder final : public QObject {
  Q_OBJECT
 public:
  explicit LineRecorder(std::size_t capacity = TrafficRing::kDefaultCapacity, QObject* parent = nullptr);
  ~LineRecorder() override;

  // Appends every entry to `path` from now on; false (with the reason) when it cannot be opened
  // or is not a regular file (a pipe would keep the open waiting for a reader for good).
  bool LogTo(const QString& path, QString* why = nullptr);
  // Writes out the entry still held back for the log, as the end of the recording does.
  void FinishLog();

  void Received(LineRole role, std::uint8_t byte) { decoder_.Received(Now(), role, byte); }
  void Sent(LineRole role, std::uint8_t byte) { decoder_.Sent(Now(), role, byte); }
  void Discarded(LineRole role, std::span<const std::uint8_t> bytes) { decoder_.Discarded(Now(), role, bytes); }
  void Port(LineRole role, PortEvent event, const QString& detail);
  void Link(const LinkEvent& event) { decoder_.Link(Now(), event); }

  const TrafficRing& Entries() const { return ring_; }
  void Clear() { ring_.Clear(); }

  // The shown entries as text, one line each, for "Save log...".
  QByteArray Text() const;

 signals:
  // An entry was added or the newest one grew.
  void Recorded();
  // The log file took no more: it is closed, and this comes once, at the first failed write.
  void LogFailed(const QString& why);

 private:
  std::int64_t Now() const { return clock_.elapsed(); }
  void Add(TrafficEntry entry);
  void WriteLine(const TrafficEntry& entry);

  QElapsedTimer clock_;
  TrafficRing ring_;
  TrafficDecoder decoder_;
  QFile log_;
  TrafficRing logTail_{2};  // joins runs for the log file as the ring does
};

}  // namespace hopper
