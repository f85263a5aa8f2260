#pragma once
// The record of the hopper line's traffic since the program started: every byte and event with
// its time, in a bounded ring of small raw records (core/raw_traffic.h). What they meant is
// decoded only for whoever looks: the line monitor's entries, "Save log..." and the log file.
// Qt Core only.

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <utility>

#include "core/raw_traffic.h"
#include "core/traffic_decoder.h"
#include "core/traffic_entry.h"

#include "platform/files/file_checks.h"

namespace hopper {

class LineRecorder final : public QObject {
  Q_OBJECT
 public:
  // `capacity`: the records kept, one for each byte or event.
  explicit LineRecorder(std::size_t capacity = RawTrafficRing::kDefaultCapacity, QObject* parent = nullptr);
  ~LineRecorder() override;

  // Appends every entry to `path` from now on; refused when it is not a regular file (a pipe
  // would keep the open waiting for a reader for good) or cannot be opened.
  FileOutcome LogTo(const QString& path);
  // Writes out the entry still held back for the log, as the end of the recording does.
  void FinishLog();

  void Received(LineRole role, std::uint8_t byte);
  void Sent(LineRole role, std::uint8_t byte) { Keep(RawTraffic::OfByte(Now(), RawKind::Sent, role, byte)); }
  void Discarded(LineRole role, std::span<const std::uint8_t> bytes);
  void Port(LineRole role, PortEvent event, const QString& detail);
  void Link(const LinkEvent& event) { Keep(RawTraffic::OfLink(Now(), event)); }

  const RawTrafficRing& Records() const { return records_; }
  // The records held, decoded. Kept, and brought up to date at each call, until ForgetEntries().
  const TrafficRing& Entries() const;
  // Nobody looks at the entries any more: their memory goes; the records stay.
  void ForgetEntries();
  void Clear();

  // The entries as text, one line each, for "Save log...".
  QByteArray Text() const;

 signals:
  // A byte or an event was recorded.
  void Recorded();
  // The log file took no more: it is closed, and this comes once, at the first failed write.
  void LogFailed(const QString& why);

 private:
  std::int64_t Now() const { return clock_.elapsed(); }
  void Keep(const RawTraffic& record, std::string detail = {});
  std::string_view DetailOf(std::uint64_t serial) const;
  void StartDecoding() const;
  void AddToLog(TrafficEntry entry);
  void WriteLine(const TrafficEntry& entry);

  QElapsedTimer clock_;
  RawTrafficRing records_;
  std::deque<std::pair<std::uint64_t, std::string>> details_;  // port events' texts, by serial
  // The decoded entries, for whoever looks; `decodedUpTo_` is the serial of the next record.
  mutable TrafficRing entries_;
  mutable TrafficDecoder decoder_;
  mutable std::uint64_t decodedUpTo_ = 0;
  mutable bool decoding_ = false;
  TrafficDecoder logDecoder_;
  QFile log_;
  TrafficRing logTail_{2};  // joins runs for the log file as the ring does
};

}  // namespace hopper
