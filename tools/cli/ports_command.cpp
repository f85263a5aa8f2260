#include "tools/cli/ports_command.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

#include "core/port_findings.h"
#include "platform/serial/port_survey.h"
#include "platform/serial/system_serial.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/exit_codes.h"

namespace hopper::cli {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString KindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::Held: return QStringLiteral("held");
    case FindingKind::ModemManager: return QStringLiteral("modem-manager");
    case FindingKind::BrailleService: return QStringLiteral("braille-service");
    case FindingKind::SharedStableName: return QStringLiteral("shared-stable-name");
    case FindingKind::BrokenDriver: return QStringLiteral("broken-driver");
    case FindingKind::UnsupportedChip: return QStringLiteral("unsupported-chip");
    case FindingKind::CounterfeitChip: return QStringLiteral("counterfeit-chip");
    case FindingKind::DeviceProblem: return QStringLiteral("device-problem");
  }
  return QStringLiteral("unknown");
}

QJsonObject DeviceObject(const SerialDevice& d, const std::vector<SerialDevice>& devices) {
  QJsonObject o;
  o[QStringLiteral("device")] = Text(d.systemPath);
  if (!d.stablePath.empty()) o[QStringLiteral("stableName")] = Text(d.stablePath);
  if (!d.portPath.empty()) o[QStringLiteral("usbPath")] = Text(d.portPath);
  if (!d.description.empty()) o[QStringLiteral("description")] = Text(d.description);
  if (!d.serialNumber.empty()) o[QStringLiteral("serialNumber")] = Text(d.serialNumber);
  if (d.vendorId >= 0 && d.productId >= 0) o[QStringLiteral("usbId")] = Text(UsbIdText(d.vendorId, d.productId));
  o[QStringLiteral("assignAs")] = Text(DependablePath(d, devices));
  return o;
}

QJsonObject FindingObject(const PortFinding& f) {
  return {{QStringLiteral("device"), Text(f.device)},
          {QStringLiteral("kind"), KindName(f.kind)},
          {QStringLiteral("meaning"), Text(f.meaning)},
          {QStringLiteral("todo"), Text(f.todo)}};
}

QString DeviceLine(const SerialDevice& d) {
  QString line = Text(d.systemPath);
  if (!d.stablePath.empty()) line += QStringLiteral("  ") + Text(d.stablePath);
  if (!d.description.empty()) line += QStringLiteral("  ") + Text(d.description);
  if (d.vendorId >= 0 && d.productId >= 0) line += QStringLiteral("  ") + Text(UsbIdText(d.vendorId, d.productId));
  return line;
}

}  // namespace

int RunPorts(bool json) {
  const std::vector<SerialDevice> devices = MakeSystemDeviceListing()->List();
  const std::vector<PortFinding> findings = PortSurvey().Look(devices);
  if (json) {
    QJsonArray deviceArray, findingArray;
    for (const SerialDevice& d : devices) deviceArray.append(DeviceObject(d, devices));
    for (const PortFinding& f : findings) findingArray.append(FindingObject(f));
    PrintJson({{QStringLiteral("command"), QStringLiteral("ports")},
               {QStringLiteral("result"), QStringLiteral("done")},
               {QStringLiteral("exitCode"), ToInt(ExitCode::Done)},
               {QStringLiteral("devices"), deviceArray},
               {QStringLiteral("findings"), findingArray}});
    return ToInt(ExitCode::Done);
  }
  if (devices.empty()) Print(stdout, QStringLiteral("no serial devices"));
  for (const SerialDevice& d : devices) {
    Print(stdout, DeviceLine(d));
    for (const QString& line : FindingLines(findings, Text(d.systemPath))) Print(stdout, QStringLiteral("  ") + line);
  }
  // What concerns no listed device: an adapter that has no serial device at all.
  for (const PortFinding& f : findings) {
    const bool listed =
        std::any_of(devices.begin(), devices.end(), [&](const SerialDevice& d) { return d.systemPath == f.device; });
    if (!listed) Print(stdout, Text(f.device) + QStringLiteral("\n  ") + Text(FindingText(f)));
  }
  return ToInt(ExitCode::Done);
}

}  // namespace hopper::cli
