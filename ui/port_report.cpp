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

// What to do about a device this user may not open. A device of the administrators' group gets
// no advice to join that group: it needs a group of its own, given by a device rule.
QString AccessAdvice(const QString& owningGroup) {
  if (owningGroup == QStringLiteral("root") || owningGroup == QStringLiteral("wheel")) {
    return QStringLiteral(
        "This user may not open the device, which belongs to the administrators. Ask for a "
        "device rule that gives it a group of its own (such as dialout), join that group, "
        "log in again and restart the tool.");
  }
  const QString group =
      owningGroup.isEmpty() ? QStringLiteral("that owns the device") : QStringLiteral("\"%1\"").arg(owningGroup);
  return QStringLiteral(
             "This user may not open the device. Add the user to the group %1, "
             "log in again and restart the tool.")
      .arg(group);
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
    case OpenResult::AccessDenied:
      message.text = QString::fromLatin1(kPortAccessDenied);
      message.informative = JoinLines(DeviceLine(outcome), AccessAdvice(outcome.owningGroup));
      break;
    case OpenResult::Opened:
    case OpenResult::OtherFailure: return std::nullopt;
  }
  return message;
}

QString PortTroubleCaption(int portNumber) { return QStringLiteral("COM%1 not working").arg(portNumber); }

QString PortTroubleDetail(const OpenOutcome& outcome) { return JoinLines(DeviceLine(outcome), outcome.detail); }

}  // namespace hopper
