#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "platform/serial/device_access.h"
#include "platform/serial/port_survey.h"

namespace hopper {

namespace {

struct Process {
  qint64 pid;
  QString name;
};

QString ReadLine(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readLine(256)).trimmed() : QString();
}

std::vector<Process> Processes(const QString& root) {
  std::vector<Process> processes;
  for (const QString& entry : QDir(root + QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool number = false;
    const qint64 pid = entry.toLongLong(&number);
    if (number && pid > 0) processes.push_back({pid, ProcessName(pid, root)});
  }
  return processes;
}

qint64 Running(const std::vector<Process>& processes, const QString& name) {
  for (const Process& p : processes)
    if (p.name == name) return p.pid;
  return 0;
}

// The processes with `device` open, by their descriptors; another user's cannot be looked into.
std::vector<Process> Openers(const QString& device, const std::vector<Process>& processes, const QString& root,
                             qint64 ownPid) {
  std::vector<Process> openers;
  for (const Process& p : processes) {
    if (p.pid == ownPid) continue;
    const QDir fds(QStringLiteral("%1/proc/%2/fd").arg(root).arg(p.pid));
    const QStringList entries = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    if (std::any_of(entries.begin(), entries.end(),
                    [&](const QString& fd) { return QFile::symLinkTarget(fds.filePath(fd)) == device; }))
      openers.push_back(p);
  }
  return openers;
}

// Whether udev marked the tty `name` for the modem manager to leave alone.
bool ModemManagerIgnores(const QString& name, const QString& root) {
  const QString number = ReadLine(QStringLiteral("%1/sys/class/tty/%2/dev").arg(root, name));
  if (number.isEmpty()) return false;
  QFile data(QStringLiteral("%1/run/udev/data/c%2").arg(root, number));
  return data.open(QIODevice::ReadOnly) && data.readAll().split('\n').contains("E:ID_MM_DEVICE_IGNORE=1");
}

int HexAttribute(const QString& folder, const char* name) {
  bool ok = false;
  const int value = ReadLine(folder + QLatin1Char('/') + QLatin1String(name)).toInt(&ok, 16);
  return ok ? value : -1;
}

// USB serial converters that have no tty, since some program drives them through usbfs.
void TakenConverters(const QString& root, qint64 brltty, std::vector<PortFinding>& findings) {
  const QDir usb(root + QStringLiteral("/sys/bus/usb/devices"));
  for (const QString& name : usb.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    if (name.contains(QLatin1Char(':')) || name.startsWith(QStringLiteral("usb"))) continue;  // interfaces, hubs
    const QString folder = usb.filePath(name);
    const int vendor = HexAttribute(folder, "idVendor");
    const int product = HexAttribute(folder, "idProduct");
    bool tty = false;
    bool usbfs = false;
    for (const QString& iface : QDir(folder).entryList({name + QStringLiteral(":*")}, QDir::Dirs)) {
      const QDir inside(QDir(folder).filePath(iface));
      tty = tty || !inside.entryList({QStringLiteral("tty*")}, QDir::Dirs).isEmpty();
      usbfs = usbfs || QFileInfo(QFile::symLinkTarget(inside.filePath(QStringLiteral("driver")))).fileName() ==
                           QLatin1String("usbfs");
    }
    if (tty || vendor < 0 || product < 0 || !(usbfs || IsSerialConverterChip(vendor, product))) continue;
    findings.push_back(BrailleFinding(name.toStdString(), ReadLine(folder + QStringLiteral("/product")).toStdString(),
                                      vendor, product, brltty));
  }
}

}  // namespace

std::vector<PortFinding> PortSurvey::Look(const std::vector<SerialDevice>& devices) const {
  const std::vector<Process> processes = Processes(root_);
  const qint64 modemManager = Running(processes, QStringLiteral("ModemManager"));
  std::vector<PortFinding> findings;
  for (const SerialDevice& device : devices) {
    const QString path = QString::fromStdString(device.systemPath);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString real = canonical.isEmpty() ? path : canonical;
    // A program that has the device open shows in its descriptors; one that merely left its
    // lock file or lock (or whose descriptors are not ours to see) by that.
    std::vector<Process> holders = Openers(real, processes, root_, ownPid_);
    const DeviceHolder byLock = HolderOf(real, root_);
    if (holders.empty() && byLock.pid != 0 && byLock.pid != ownPid_)
      holders.push_back({byLock.pid, ProcessName(byLock.pid, root_)});
    for (const Process& p : holders)
      findings.push_back(HeldFinding(device.systemPath, p.name.toStdString(), p.pid,
                                     p.pid == byLock.pid ? byLock.lockFile.toStdString() : std::string()));
    if (modemManager != 0 && device.vendorId >= 0 && device.productId >= 0 &&
        !ModemManagerIgnores(QFileInfo(real).fileName(), root_))
      findings.push_back(ModemManagerFinding(device.systemPath, device.vendorId, device.productId));
    if (SharesStableName(device, devices)) findings.push_back(SharedStableNameFinding(device));
  }
  if (const qint64 brltty = Running(processes, QStringLiteral("brltty")); brltty != 0)
    TakenConverters(root_, brltty, findings);
  return findings;
}

}  // namespace hopper
