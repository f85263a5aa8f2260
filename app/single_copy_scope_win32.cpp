#include <QDir>

#include "app/single_copy_scope.h"
#include "platform/files/settings_store.h"

#include <windows.h>

namespace hopper {

namespace {

// The login session this process runs in: a user logged in twice (at the desk and over
// remote desktop) has two sessions, and a copy of the tool in each.
DWORD SessionNumber() {
  DWORD session = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) session = 0;
  return session;
}

}  // namespace

QString SingleCopyFolder() {
  return QDir(SettingsStore::Folder()).filePath(QStringLiteral("session-%1").arg(SessionNumber()));
}

// Named pipes are seen by every session: the name carries the user and the session.
QString SingleCopyChannel() {
  return QStringLiteral("HopperSettingTool-%1-%2").arg(QDir::home().dirName()).arg(SessionNumber());
}

}  // namespace hopper
