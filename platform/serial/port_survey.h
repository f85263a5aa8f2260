#pragma once
// Looks at the system for what keeps a serial device from the tool: another program holding
// it, a modem manager probing it, a braille-display service that took a USB adapter, two
// adapters sharing one stable name. Reads Linux's /proc, /sys, /run and lock folders. On
// Windows: the adapters' drivers and device states (core/adapter_doctor.h). Finds nothing
// elsewhere.

#include <QString>
#include <vector>

#include "core/port_findings.h"

namespace hopper {

class PortSurvey {
 public:
  // `root` holds the system's /proc, /sys, /run and /var folders: "" for the system's own,
  // a tree of its own in tests. `ownPid` is left out of the holders: this program holds its
  // own port.
  explicit PortSurvey(QString root = {}, qint64 ownPid = OwnPid()) : root_(std::move(root)), ownPid_(ownPid) {}

  // What stands in the way of `devices`, the machine's serial devices; a part of the tree that
  // cannot be read adds nothing.
  std::vector<PortFinding> Look(const std::vector<SerialDevice>& devices) const;

 private:
  static qint64 OwnPid();

  QString root_;
  qint64 ownPid_;
};

// The findings about `device` among `findings`, one line each.
QStringList FindingLines(const std::vector<PortFinding>& findings, const QString& device);

}  // namespace hopper
