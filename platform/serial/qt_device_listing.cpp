#include "platform/serial/qt_device_listing.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <map>

namespace hopper {

QtDeviceListing::QtDeviceListing(QString stableFolder) : stableFolder_(std::move(stableFolder)) {}

QString QtDeviceListing::DefaultStableFolder() {
#ifdef Q_OS_LINUX
  return QStringLiteral("/dev/serial/by-id");
#else
  return {};
#endif
}

std::vector<SerialDevice> QtDeviceListing::List() const {
  constexpr qint64 kFreshMs = 100;
  if (!recentAge_.isValid() || recentAge_.elapsed() >= kFreshMs) {
    recent_ = Look();
    recentAge_.start();
  }
  return recent_;
}

std::vector<SerialDevice> QtDeviceListing::Look() const {
  // The stable names, by the device each one leads to.
  std::map<QString, QString> stableByTarget;
  if (!stableFolder_.isEmpty()) {
    const QDir folder(stableFolder_);
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
      const QString target = link.canonicalFilePath();
      if (link.isSymLink() && !target.isEmpty()) stableByTarget.emplace(target, link.absoluteFilePath());
    }
  }
  std::vector<SerialDevice> devices;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SerialDevice device;
    device.systemPath = info.systemLocation().toStdString();
    device.description = info.description().toStdString();
    device.maker = info.manufacturer().toStdString();
    device.serialNumber = info.serialNumber().toStdString();
    if (info.hasVendorIdentifier()) device.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier()) device.productId = info.productIdentifier();
    device.classicNumber = ClassicNumberOf(info.systemLocation());
    const QString canonical = QFileInfo(info.systemLocation()).canonicalFilePath();
    if (const auto stable = stableByTarget.find(canonical); stable != stableByTarget.end()) {
      device.stablePath = stable->second.toStdString();
      stableByTarget.erase(stable);
    }
    devices.push_back(device);
  }
  for (const auto& [target, stable] : stableByTarget) {
    SerialDevice device;
    device.systemPath = target.toStdString();
    device.stablePath = stable.toStdString();
    devices.push_back(device);
  }
  return devices;
}

}  // namespace hopper
