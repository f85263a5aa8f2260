#include "tools/cli/traffic_sink.h"

namespace hopper::cli {

namespace {
QString Hex(const std::vector<std::uint8_t>& bytes) {
  QString text;
  for (std::uint8_t b : bytes) {
    if (!text.isEmpty()) text += QLatin1Char(' ');
    text += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
  }
  return text;
}
}  // namespace

QString TrafficLogFile::Open(const QString& path) {
  file_.setFileName(path);
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return file_.errorString();
  clock_.start();
  return {};
}

TrafficLogFile::~TrafficLogFile() { Flush(); }

void TrafficLogFile::Add(Direction direction, std::uint8_t byte) {
  if (direction != held_) {
    Flush();
    held_ = direction;
    heldSinceMs_ = clock_.elapsed();
  }
  bytes_.push_back(byte);
}

void TrafficLogFile::Discarded(const QByteArray& bytes) {
  Flush();
  if (!bytes.isEmpty())
    Line(Direction::None, QStringLiteral("%1 bytes thrown away: %2")
                              .arg(bytes.size())
                              .arg(Hex({bytes.begin(), bytes.end()})));
}

void TrafficLogFile::Event(const QString& text) {
  Flush();
  Line(Direction::None, text);
}

void TrafficLogFile::Flush() {
  if (bytes_.empty()) return;
  // The line carries the time its first byte was seen.
  Line(held_, Hex(bytes_));
  bytes_.clear();
  held_ = Direction::None;
}

void TrafficLogFile::Line(Direction direction, const QString& text) {
  if (!file_.isOpen()) return;
  const char* arrow = direction == Direction::FromHopper ? "hopper -> tool"
                      : direction == Direction::ToHopper ? "tool -> hopper"
                                                         : "--";
  const qint64 ms = direction == Direction::None ? clock_.elapsed() : heldSinceMs_;
  file_.write(QStringLiteral("%1 ms  %2  %3\n").arg(ms, 7).arg(QLatin1String(arrow), -14).arg(text).toUtf8());
  file_.flush();
}

}  // namespace hopper::cli
