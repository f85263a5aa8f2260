#include "platform/serial/serial_device_list.h"

#include <QRegularExpression>

namespace hopper {

int ClassicNumberOf(const QString& systemPath) {
#ifdef Q_OS_WIN
  static const QRegularExpression pattern(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?COM(\\d+)$"));
  const int offset = 0;
#else
  static const QRegularExpression pattern(QStringLiteral("^/dev/ttyS(\\d+)$"));
  const int offset = 1;
#endif
  const QRegularExpressionMatch match = pattern.match(systemPath);
  if (!match.hasMatch()) return 0;
  const int number = match.captured(1).toInt() + offset;
  return number >= 1 && number <= kHighestPortNumber ? number : 0;
}

}  // namespace hopper
