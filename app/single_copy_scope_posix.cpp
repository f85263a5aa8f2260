#include <QDir>
#include <QFileInfo>

#include "app/single_copy_scope.h"
#include "platform/files/settings_store.h"

namespace hopper {

QString SingleCopyFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return QDir(runtime).filePath(QStringLiteral("hopper-kit"));
  return SettingsStore::Folder();  // a system without a runtime folder
}

// Sockets are files: the channel lies beside the lock.
QString SingleCopyChannel() { return QDir(SingleCopyFolder()).filePath(QStringLiteral("running.socket")); }

}  // namespace hopper
