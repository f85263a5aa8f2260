#pragma once
// One copy of the tool per user and machine. The first copy holds a lock file in the per-user
// runtime folder (cleared at every reboot; the settings folder where a system has none) and
// listens on a local channel beside it; a later copy asks the first to bring its window to the
// front and ends.

#include <QLockFile>
#include <QObject>
#include <memory>

#include "app/copy_channel.h"

namespace hopper {

class SingleCopy final : public QObject {
  Q_OBJECT
 public:
  // The folder that holds the lock and the channel, looked up anew each time.
  static QString Folder();
  static QString LockFilePath();

  // True when this is the only copy: the lock is held (or cannot be made at all, which must
  // not keep the tool from starting). False when another copy runs; it has been asked to come
  // to the front.
  bool Acquire();

 signals:
  // A later copy started and ended: the running one should show itself.
  void BringToFrontRequested();

 private:
  void Listen();
  static bool AskRunningCopyToShow();

  std::unique_ptr<QLockFile> lock_;
  CopyChannel channel_;
};

}  // namespace hopper
