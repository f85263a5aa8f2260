#include "platform/serial/line_recorder.h"

#include "platform/files/file_checks.h"

namespace hopper {

LineRecorder::LineRecorder(std::size_t capacity, QObject* parent)
    : QObject(parent),
      records_(capacity),
      entries_(records_.Capacity()),
      decoder_([this](TrafficEntry entry) { entries_.Add(std::move(entry)); }),
      logDecoder_([this](TrafficEntry entry) { AddToLog(std::move(entry)); }) {
  clock_.start();
}

LineRecorder::~LineRecorder() { FinishLog(); }

void LineRecorder::FinishLog() {
  if (log_.isOpen() && logTail_.Size() > 0) WriteLine(logTail_.At(logTail_.Size() - 1));
  logTail_.Clear();
}

FileOutcome LineRecorder::LogTo(const QString& path) {
  if (const QString refusal = WhyNotPlainFile(QFileInfo(path)); !refusal.isEmpty())
    return {FileOutcome::Kind::NotAPlainFile, refusal};
  log_.setFileName(path);
  if (log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return {};
  return {FileOutcome::Kind::Failed, log_.errorString()};
}

void LineRecorder::Received(LineRole role, std::uint8_t byte) {
  // What a byte read by the setting link meant comes with the link's event for it.
  if (role == LineRole::Simulation) Keep(RawTraffic::OfByte(Now(), RawKind::Received, role, byte));
}

void LineRecorder::Discarded(LineRole role, std::span<const std::uint8_t> bytes) {
  const std::int64_t now = Now();
  for (const std::uint8_t byte : bytes) Keep(RawTraffic::OfByte(now, RawKind::Discarded, role, byte));
}

void LineRecorder::Port(LineRole role, PortEvent event, const QString& detail) {
  // The texts of records that have left the ring go with them.
  while (!details_.empty() && details_.front().first < records_.FirstSerial()) details_.pop_front();
  Keep(RawTraffic::OfPort(Now(), role, event), detail.toStdString());
}

void LineRecorder::Keep(const RawTraffic& record, std::string detail) {
  if (!detail.empty()) details_.emplace_back(records_.Started(), std::move(detail));
  records_.Add(record);
  if (log_.isOpen()) Replay(record, DetailOf(records_.Started() - 1), logDecoder_);
  emit Recorded();
}

std::string_view LineRecorder::DetailOf(std::uint64_t serial) const {
  for (auto it = details_.rbegin(); it != details_.rend() && it->first >= serial; ++it)
    if (it->first == serial) return it->second;
  return {};
}

void LineRecorder::StartDecoding() const {
  // Entries cleared keep their serial numbers: a view can tell that what it showed has gone.
  entries_.Clear();
  decoder_ = TrafficDecoder([this](TrafficEntry entry) { entries_.Add(std::move(entry)); });
  decodedUpTo_ = records_.FirstSerial();
  decoding_ = true;
}

const TrafficRing& LineRecorder::Entries() const {
  // Records that left the ring before they were decoded: start again from the oldest held.
  if (!decoding_ || decodedUpTo_ < records_.FirstSerial()) StartDecoding();
  for (; decodedUpTo_ < records_.Started(); ++decodedUpTo_)
    Replay(records_.At(std::size_t(decodedUpTo_ - records_.FirstSerial())), DetailOf(decodedUpTo_), decoder_);
  return entries_;
}

void LineRecorder::ForgetEntries() {
  entries_.Clear();
  decoding_ = false;  // decoded anew from the oldest record at the next look
}

void LineRecorder::Clear() {
  records_.Clear();
  details_.clear();
  StartDecoding();
}

void LineRecorder::AddToLog(TrafficEntry entry) {
  // An entry is written once nothing more can join it: when the next one starts.
  const bool hadOne = logTail_.Size() > 0;
  if (!logTail_.Add(std::move(entry)) && hadOne) WriteLine(logTail_.At(0));
}

void LineRecorder::WriteLine(const TrafficEntry& entry) {
  const std::string line = FormatTrafficLine(entry) + '\n';
  // A full disk ends the log, not the program; whoever asked for the log is told, once.
  if (log_.write(line.data(), qint64(line.size())) == qint64(line.size()) && log_.flush()) return;
  const QString why = log_.errorString();
  log_.close();
  emit LogFailed(why);
}

QByteArray LineRecorder::Text() const {
  const TrafficRing& entries = Entries();
  QByteArray text;
  for (std::size_t i = 0; i < entries.Size(); ++i) {
    text += FormatTrafficLine(entries.At(i));
    text += '\n';
  }
  return text;
}

}  // namespace hopper
