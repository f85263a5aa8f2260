#include "ui/port_assignment_rows.h"

#include <QFileInfo>
#include <algorithm>

#include "platform/serial/device_access.h"

namespace hopper {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

bool SameDevice(const QString& resolved, const SerialDevice& device) {
  if (resolved == Text(device.systemPath) || resolved == Text(device.stablePath)) return true;
  const QString canonical = QFileInfo(resolved).canonicalFilePath();
  return !canonical.isEmpty() && canonical == QFileInfo(Text(device.systemPath)).canonicalFilePath();
}

QString AssignedNumbers(const SerialDevice& device, const std::vector<SerialDevice>& devices,
                        const PortEntries& entries) {
  // The numbers worth asking about: every stored one, and as many from COM1 up as there are
  // devices and entries, since the rule hands out no number beyond those.
  int highest = static_cast<int>(devices.size() + entries.size());
  for (const auto& entry : entries) highest = std::max(highest, entry.first);
  for (const SerialDevice& d : devices) highest = std::max(highest, d.classicNumber);
  QStringList numbers;
  for (int n = 1; n <= std::min(highest, kHighestPortNumber); ++n) {
    const PortResolution r = ResolvePort(n, entries, devices);
    if (!r.device.empty() && SameDevice(Text(r.device), device))
      numbers << (entries.contains(n) ? QStringLiteral("COM%1").arg(n) : QStringLiteral("COM%1 (automatic)").arg(n));
  }
  return numbers.isEmpty() ? QStringLiteral("none") : numbers.join(QStringLiteral(", "));
}

QString AccessText(const SerialDevice& device) {
  const DeviceAccess access = AccessOf(Text(device.systemPath));
  if (!access.mayOpen)
    return QStringLiteral("no: group \"%1\"; run %2, then log out and in")
        .arg(access.group, GrantCommand(access.group));
  if (access.holder != 0) return QStringLiteral("held by another program (process %1)").arg(access.holder);
  return QStringLiteral("yes");
}

}  // namespace

QStringList PortColumnTitles() {
  return {QStringLiteral("Device"),      QStringLiteral("Stable name"),   QStringLiteral("Description"),
          QStringLiteral("Maker"),       QStringLiteral("Serial number"), QStringLiteral("USB ID"),
          QStringLiteral("Assigned to"), QStringLiteral("May open")};
}

QList<QStringList> PortRows(const std::vector<SerialDevice>& devices, const PortEntries& entries) {
  QList<QStringList> rows;
  for (const SerialDevice& device : devices) {
    QStringList row(kColumnCount);
    row[kDeviceColumn] = Text(device.systemPath);
    row[kStableColumn] = Text(device.stablePath);
    row[kDescriptionColumn] = Text(device.description);
    row[kMakerColumn] = Text(device.maker);
    row[kSerialColumn] = Text(device.serialNumber);
    if (device.vendorId >= 0 && device.productId >= 0)
      row[kUsbIdColumn] = QStringLiteral("%1:%2")
                              .arg(device.vendorId, 4, 16, QLatin1Char('0'))
                              .arg(device.productId, 4, 16, QLatin1Char('0'));
    row[kAssignedColumn] = AssignedNumbers(device, devices, entries);
    row[kAccessColumn] = AccessText(device);
    rows << row;
  }
  return rows;
}

}  // namespace hopper
