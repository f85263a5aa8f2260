#pragma once
// The rows of the port assignment window: one per serial device, as text.

#include <QList>
#include <QStringList>
#include <vector>

#include "core/port_resolution.h"

namespace hopper {

enum PortColumn {
  kDeviceColumn,
  kStableColumn,
  kDescriptionColumn,
  kMakerColumn,
  kSerialColumn,
  kUsbIdColumn,
  kAssignedColumn,
  kAccessColumn,
  kColumnCount
};

QStringList PortColumnTitles();

// The cells of every device, with the port numbers that stand for it under `entries` now.
QList<QStringList> PortRows(const std::vector<SerialDevice>& devices, const PortEntries& entries);

}  // namespace hopper
