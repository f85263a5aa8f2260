#include "platform/serial/line_recorder.h"

#include "platform/files/file_checks.h"

namespace hopper {

LineRecorder::LineRecorder(std::size_t capacity, QObject* parent)
    : QObject(parent), ring_(capacity), decoder_([this](TrafficEntry entry) { Add(std::move(entry)); }) {
  clock_.start();
}

LineRecorder::~LineRecorder() { FinishLog(); }

void LineRecorder::FinishLog() {
  if (log_.isOpen() && logTail_.Size() > 0) WriteLine(logTail_.At(logTail_.Size() - 1));
  logTail_.Clear();
}

bool LineRecorder::LogTo(const QString& path, QString* why) {
  if (const QString refusal = WhyNotPlainFile(QFileInfo(path)); !refusal.isEmpty()) {
    if (why) *why = refusal;
    return false;
  }
  log_.setFileName(path);
  if (log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return true;
  if (why) *why = log_.errorString();
  return false;
}

void LineRecorder::Port(LineRole role, PortEvent event, const QString& detail) {
  decoder_.Port(Now(), role, event, detail.toStdString());
}

void LineRecorder::Add(TrafficEntry entry) {
  if (log_.isOpen()) {
    // An entry is written once nothing more can join it: when the next one starts.
    const bool hadOne = logTail_.Size() > 0;
    if (!logTail_.Add(entry) && hadOne) WriteLine(logTail_.At(0));
  }
  ring_.Add(std::move(entry));
  emit Recorded();
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
  QByteArray text;
  for (std::size_t i = 0; i < ring_.Size(); ++i) {
    text += FormatTrafficLine(ring_.At(i));
    text += '\n';
  }
  return text;
}

}  // namespace hopper
