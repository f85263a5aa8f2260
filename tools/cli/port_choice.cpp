#include "tools/cli/port_choice.h"

#include <QRegularExpression>

#include "core/port_resolution.h"
#include "platform/files/settings_store.h"
#include "platform/serial/system_serial.h"
#include "ui/port_report.h"

namespace hopper::cli {

namespace {

// "COM3", "com3" or "3"; 0 when the text is no port number.
int PortNumberOf(const QString& text) { return ParsePortName(text.toStdString()).value_or(0); }

bool LooksLikePath(const QString& text) { return text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\')); }

}  // namespace

PortChoice ChoosePort(const QString& given) {
  PortChoice choice;
  QString text = given.trimmed();
  if (text.isEmpty()) {
    text = SettingsStore().ComPortText().trimmed();
    if (PortNumberOf(text) == 0) {
      choice.name = text;
      choice.refusal = QStringLiteral("The tool's stored port \"%1\" is no port number: give --port").arg(text);
      return choice;
    }
  }
  if (LooksLikePath(text)) {
    choice.name = text;
    choice.device = text;
    return choice;
  }
  const int number = PortNumberOf(text);
  if (number == 0) {
    choice.name = text;
    choice.refusal = QStringLiteral("\"%1\" is neither a port number (COM1 to COM%2) nor a device path")
                         .arg(text)
                         .arg(kHighestPortNumber);
    return choice;
  }
  choice.number = number;
  choice.name = QStringLiteral("COM%1").arg(number);
  choice.device = MakeSystemSerialPort()->DeviceFor(number);  // opening says why when there is none
  return choice;
}

PortProblem DescribeOpenFailure(const PortChoice& choice, const OpenOutcome& outcome) {
  const QString device = QStringLiteral("%1 (%2)").arg(choice.name, choice.device);
  auto withDetail = [&outcome](const QString& text) {
    return outcome.detail.isEmpty() ? text : text + QStringLiteral(": ") + outcome.detail;
  };
  switch (outcome.result) {
    case OpenResult::InvalidPort:
      return {QString::fromLatin1(kPortNumberError),
              withDetail(QStringLiteral("%1: check the cable and the adapter, or give another --port").arg(device))};
    case OpenResult::PortInUse:
      return {QString::fromLatin1(kPortInUse),
              withDetail(QStringLiteral("Another program holds %1; close it, or give another --port").arg(device))};
    case OpenResult::AccessDenied: {
      const QString group = outcome.owningGroup.isEmpty() ? QStringLiteral("that owns the device")
                                                          : QStringLiteral("\"%1\"").arg(outcome.owningGroup);
      return {QString::fromLatin1(kPortAccessDenied),
              QStringLiteral("This user may not open %1. Add the user to the group %2 and log in again.")
                  .arg(device, group)};
    }
    case OpenResult::Opened:
    case OpenResult::OtherFailure: break;
  }
  return {QStringLiteral("The port could not be opened"), withDetail(device)};
}

}  // namespace hopper::cli
