#include "platform/serial/port_survey.h"

#include <QCoreApplication>
#include <QStringList>

namespace hopper {

qint64 PortSurvey::OwnPid() { return QCoreApplication::applicationPid(); }

QStringList FindingLines(const std::vector<PortFinding>& findings, const QString& device) {
  QStringList lines;
  for (const PortFinding& finding : findings)
    if (QString::fromStdString(finding.device) == device) lines << QString::fromStdString(FindingText(finding));
  return lines;
}

}  // namespace hopper
