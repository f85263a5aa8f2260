#include "platform/serial/qt_device_listing.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <map>

namespace hopper {

namespace {

// The links in `folder`, by the device each one leads to.
std::map<QString, QString> LinksByTarget(const QString& folder) {
  std::map<QString, QString> links;
  if (folder.isEmpty()) return links;
  for (const QFileInfo& link :
       QDir(folder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
    const QString target = link.canonicalFilePath();
    if (link.isSymLink() && !target.isEmpty()) links.emplace(target, link.absoluteFilePath());
  }
  return links;
}

std::string UsbPathOf(const QString& device, const std::map<QString, QString>& usbPaths) {
  const auto found = usbPaths.find(device);
  return found == usbPaths.end() ? std::string() : found->second.toStdString();
}

// `folder` where udev makes such folders of links (Linux); none elsewhere.
QString UdevFolder(const QString& folder) {
#ifdef Q_OS_LINUX
  return folder;
#else
  Q_UNUSED(folder);
  return {};
#endif
}

}  // namespace

QtDeviceListing::QtDeviceListing(QString stableFolder, QString pathFolder)
    : stableFolder_(std::move(stableFolder)), pathFolder_(std::move(pathFolder)) {}

QString QtDeviceListing::DefaultStableFolder() { return UdevFolder(QStringLiteral("/dev/serial/by-id")); }

QString QtDeviceListing::DefaultPathFolder() { return UdevFolder(QStringLiteral("/dev/serial/by-path")); }

std::vector<SerialDevice> QtDeviceListing::List() const {
  constexpr qint64 kFreshMs = 100;
  if (!recentAge_.isValid() || recentAge_.elapsed() >= kFreshMs) {
    recent_ = Look();
    recentAge_.start();
  }
  return recent_;
}

std::vector<SerialDevice> QtDeviceListing::Look() const {
  std::map<QString, QString> stableByTarget = LinksByTarget(stableFolder_);
  const std::map<QString, QString> usbPathByTarget = LinksByTarget(pathFolder_);
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
    device.portPath = UsbPathOf(canonical, usbPathByTarget);
    devices.push_back(device);
  }
  for (const auto& [target, stable] : stableByTarget) {
    SerialDevice device;
    device.systemPath = target.toStdString();
    device.stablePath = stable.toStdString();
    device.portPath = UsbPathOf(target, usbPathByTarget);
    devices.push_back(device);
  }
  return devices;
}

}  // namespace hopper
