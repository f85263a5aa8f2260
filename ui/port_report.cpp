#include "ui/port_report.h"

namespace hopper {

namespace {

QString DeviceLine(const OpenOutcome& outcome) {
  if (outcome.device.isEmpty()) return QStringLiteral("This port number names no device.");
  return QStringLiteral("Device: %1").arg(outcome.device);
}

QString JoinLines(const QString& first, const QString& second) {
  return second.isEmpty() ? first : first + QLatin1Char('\n') + second;
}

}  // namespace

std::optional<Message> OpenFailureMessage(const OpenOutcome& outcome) {
  Message message;
  message.icon = MessageIcon::Critical;
  message.title = QStringLiteral("Error");
  switch (outcome.result) {
    case OpenResult::InvalidPort:
      message.text = QString::fromLatin1(kPortNumberError);
      message.informative = JoinLines(DeviceLine(outcome), outcome.detail);
      break;
    case OpenResult::PortInUse:
      message.text = QString::fromLatin1(kPortInUse);
      message.informative = JoinLines(DeviceLine(outcome), outcome.detail);
      break;
    case OpenResult::AccessDenied: {
      message.text = QString::fromLatin1(kPortAccessDenied);
      const QString group = outcome.owningGroup.isEmpty() ? QStringLiteral("that owns the device")
                                                          : QStringLiteral("\"%1\"").arg(outcome.owningGroup);
      message.informative = JoinLines(
          DeviceLine(outcome),
          QStringLiteral("This user may not open the device. Add the user to the group %1, "
                         "log in again and restart the tool.")
              .arg(group));
      break;
    }
    case OpenResult::Opened:
    case OpenResult::OtherFailure:
      return std::nullopt;
  }
  return message;
}

QString PortTroubleCaption(int portNumber) { return QStringLiteral("COM%1 not working").arg(portNumber); }

QString PortTroubleDetail(const OpenOutcome& outcome) {
  return JoinLines(DeviceLine(outcome), outcome.detail);
}

}  // namespace hopper
