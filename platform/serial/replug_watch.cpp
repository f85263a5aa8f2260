#include "platform/serial/replug_watch.h"

#include <QDir>
#include <QFileInfo>

namespace hopper {

namespace {

// A pseudo-terminal's number goes to the next terminal anybody opens (a shell's window, another
// program's line): one that went away never comes back under its number, and what appears
// there is somebody else's.
bool NumberOfAnyTerminal(const QString& path) { return path.startsWith(QStringLiteral("/dev/pts/")); }

bool PathPresent(const QString& path) {
  return !path.isEmpty() && !NumberOfAnyTerminal(path) && QFileInfo::exists(path);
}

// The folder a path lives in, or the nearest one above it that exists: /dev/serial/by-id
// goes away with the last adapter.
QString ExistingFolderOf(const QString& path) {
  QDir folder = QFileInfo(path).absoluteDir();
  while (!folder.exists() && !folder.isRoot()) {
    if (!folder.cdUp()) break;
  }
  return folder.exists() ? folder.absolutePath() : QString();
}

}  // namespace

DeviceIdentity IdentityOf(const QString& path, const std::vector<SerialDevice>& devices) {
  DeviceIdentity identity;
  identity.path = path;
  const QString canonical = QFileInfo(path).canonicalFilePath();
  for (const SerialDevice& device : devices) {
    const QString system = QString::fromStdString(device.systemPath);
    const QString stable = QString::fromStdString(device.stablePath);
    if (path == system || path == stable || (!canonical.isEmpty() && canonical == system)) {
      identity.stablePath = stable;
      identity.serialNumber = QString::fromStdString(device.serialNumber);
      break;
    }
  }
  return identity;
}

ReplugWatch::ReplugWatch(std::shared_ptr<const DeviceListing> listing, QObject* parent)
    : QObject(parent), listing_(std::move(listing)) {
  timer_.setInterval(kCheckIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &ReplugWatch::CheckPaths);
  connect(&folders_, &QFileSystemWatcher::directoryChanged, this, &ReplugWatch::CheckListing);
}

bool ReplugWatch::IsPresent(const DeviceIdentity& identity, const std::vector<SerialDevice>& devices) {
  if (PathPresent(identity.path) || PathPresent(identity.stablePath)) return true;
  if (identity.serialNumber.isEmpty()) return false;
  const std::string serial = identity.serialNumber.toStdString();
  for (const SerialDevice& device : devices)
    if (device.serialNumber == serial) return true;
  return false;
}

void ReplugWatch::Watch(const DeviceIdentity& identity) {
  identity_ = identity;
  timer_.start();
  FollowFolders();
}

void ReplugWatch::Stop() {
  timer_.stop();
  if (!folders_.directories().isEmpty()) folders_.removePaths(folders_.directories());
}

void ReplugWatch::FollowFolders() {
  QStringList wanted;
  for (const QString& path : {identity_.path, identity_.stablePath}) {
    const QString folder = path.isEmpty() ? QString() : ExistingFolderOf(path);
    if (!folder.isEmpty() && !wanted.contains(folder)) wanted << folder;
  }
  const QStringList watched = folders_.directories();
  for (const QString& folder : watched)
    if (!wanted.contains(folder)) folders_.removePath(folder);
  for (const QString& folder : wanted)
    if (!watched.contains(folder)) folders_.addPath(folder);
}

void ReplugWatch::CheckPaths() {
  // The once-a-second look: two file lookups, no listing.
  if (PathPresent(identity_.path) || PathPresent(identity_.stablePath)) Found();
  else FollowFolders();
}

void ReplugWatch::CheckListing() {
  if (!IsWatching()) return;
  if (PathPresent(identity_.path) || PathPresent(identity_.stablePath)) {
    Found();
    return;
  }
  // A busy folder (/tmp, /dev) changes often: the device listing is asked only when the
  // adapter can be known again by its serial number under a new name.
  if (identity_.serialNumber.isEmpty() || !listing_) return;
  if (IsPresent(identity_, listing_->List())) Found();
}

void ReplugWatch::Found() {
  Stop();
  emit Returned();
}

}  // namespace hopper
