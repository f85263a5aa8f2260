#include "tools/emulator/traffic_log.h"

#include <QTime>
#include <cstdio>

#include "core/traffic_entry.h"

namespace hopper::emulator {

void TrafficLog::Bytes(Direction direction, const std::vector<std::uint8_t>& bytes, const QString& meaning) {
  Write(direction, QString::fromStdString(HexText(bytes)), meaning);
}

void TrafficLog::Note(const QString& text) { Write(Direction::None, {}, text); }

void TrafficLog::Write(Direction direction, const QString& hex, const QString& meaning) {
  QString arrow;
  switch (direction) {
    case Direction::ToTool: arrow = QStringLiteral("hopper -> tool"); break;
    case Direction::FromTool: arrow = QStringLiteral("tool -> hopper"); break;
    case Direction::None: arrow = QStringLiteral("--"); break;
  }
  QString line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) + QStringLiteral("  ") +
                 arrow.leftJustified(14) + QStringLiteral("  ");
  if (!hex.isEmpty()) line += hex + QStringLiteral("  ");
  line += meaning;
  sink_(line);
}

TrafficLog TrafficLog::ToStandardOutput() {
  return TrafficLog([](const QString& line) {
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  });
}

}  // namespace hopper::emulator
