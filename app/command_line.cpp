#include "app/command_line.h"

#include "core/port_resolution.h"

namespace hopper {

namespace {

// Whether arguments[i] is --`name`, as "--name VALUE" or "--name=VALUE"; its value goes to
// `value` (empty when none follows), and `i` moves past it.
bool TakeOption(const QStringList& arguments, qsizetype& i, const QString& name, QString& value) {
  const QString& argument = arguments[i];
  if (argument != name && !argument.startsWith(name + QLatin1Char('='))) return false;
  if (argument.contains(QLatin1Char('='))) value = argument.section(QLatin1Char('='), 1);
  else if (i + 1 < arguments.size()) value = arguments[++i];
  else value.clear();
  return true;
}

}  // namespace

QString UsageText() {
  return QStringLiteral(
      "Usage: hopper-setting-tool [--port N] [--log FILE]\n"
      "       hopper-setting-tool --station FILE [--port N ...]\n"
      "Sets up a coin hopper over a serial line.\n\n"
      "  --port N    start on port N (1 for COM1, up to 255; \"COM3\" also works) instead of the stored one\n"
      "  --log FILE  append the serial line's traffic, decoded, to FILE from start-up on\n"
      "  --station FILE  the production station alone: on every --port (default: the stored one)\n"
      "              it writes FILE's set into each hopper switched on and checks the read-back,\n"
      "              one large PASS/FAIL tile per port\n"
      "  -h, --help  show this text and end\n\n"
      "Which device a port number means is set in the Ports window (menu \"Ports…\").\n");
}

CommandLine ParseCommandLine(const QStringList& arguments, bool strict) {
  CommandLine line;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
      line.help = true;
    } else if (QString value; TakeOption(arguments, i, QStringLiteral("--port"), value)) {
      line.portNumber = ParsePortName(value.trimmed().toStdString());
      if (!line.portNumber) {
        line.error = QStringLiteral("--port needs a port number from 1 to 255, not \"%1\"").arg(value);
        return line;
      }
      line.portNumbers.push_back(*line.portNumber);
    } else if (TakeOption(arguments, i, QStringLiteral("--station"), line.stationSet)) {
      if (line.stationSet.isEmpty()) {
        line.error = QStringLiteral("--station needs a parameter file");
        return line;
      }
    } else if (TakeOption(arguments, i, QStringLiteral("--log"), line.logPath)) {
      if (line.logPath.isEmpty()) {
        line.error = QStringLiteral("--log needs a file name");
        return line;
      }
    } else if (strict) {
      line.error = QStringLiteral("unknown argument \"%1\"").arg(argument);
      return line;
    }
  }
  return line;
}

}  // namespace hopper
