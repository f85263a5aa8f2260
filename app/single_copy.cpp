#include "app/single_copy.h"

#include <QDir>
#include <QSysInfo>

#include "app/single_copy_scope.h"
#include "platform/files/settings_store.h"

namespace hopper {

namespace {

// A lock no running copy on this machine can hold: unreadable (empty, garbage) or written on
// another host (a shared home folder, or this machine under an older name before a crash).
bool HeldByNoCopyHere(const QLockFile& lock) {
  qint64 pid = 0;
  QString host, application;
  if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0) return true;
  return !host.isEmpty() && host != QSysInfo::machineHostName();
}

}  // namespace

QString SingleCopy::Folder() { return SingleCopyFolder(); }

QString SingleCopy::LockFilePath() { return QDir(Folder()).filePath(QStringLiteral("running.lock")); }

bool SingleCopy::Acquire() {
  QDir().mkpath(Folder());
  lock_ = std::make_unique<QLockFile>(LockFilePath());
  // A running copy holds the lock however long it runs; the lock of a copy that crashed names
  // a process that is gone, and is taken over.
  lock_->setStaleLockTime(0);
  bool locked = lock_->tryLock(0);
  if (!locked && lock_->error() == QLockFile::LockFailedError && HeldByNoCopyHere(*lock_)) {
    lock_->removeStaleLockFile();
    locked = lock_->tryLock(0);
  }
  if (!locked && lock_->error() == QLockFile::LockFailedError) {
    AskRunningCopyToShow();
    return false;
  }
  // A lock that cannot be made at all (no folder may be written) must not stop the tool
  // without a word; the channel is still offered where it can be.
  Listen();
  return true;
}

void SingleCopy::Listen() {
  if (!channel_.Listen(SingleCopyChannel())) return;  // the tool runs on; only the raising is lost
  connect(&channel_, &CopyChannel::Knocked, this, &SingleCopy::BringToFrontRequested);
}

bool SingleCopy::AskRunningCopyToShow() {
  // Knocking is all the message there is; the running copy answers it on its own time.
  return CopyChannel::Knock(SingleCopyChannel(), 2000);
}

}  // namespace hopper
