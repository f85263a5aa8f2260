#pragma once
// Makes a file or folder impossible to open for the test, also when the tests run as root.
//
// Root passes every permission check, so while a guard lives the thread's file-system user is
// switched to "nobody": the kernel then drops the permission-override capabilities and the
// mode bits count again. The guard restores the previous file-system user when it ends.

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace hopper::test {

class ActAsOtherUser {
 public:
  ActAsOtherUser() {
    if (geteuid() == 0) previous_ = setfsuid(kNobody);
  }
  ~ActAsOtherUser() {
    if (previous_ >= 0) setfsuid(static_cast<uid_t>(previous_));
  }
  ActAsOtherUser(const ActAsOtherUser&) = delete;
  ActAsOtherUser& operator=(const ActAsOtherUser&) = delete;

 private:
  static constexpr uid_t kNobody = 65534;
  int previous_ = -1;
};

// Removes every permission bit, so that nobody but root may open the path.
inline bool RemoveAllPermissions(const QString& path) { return ::chmod(QFile::encodeName(path).constData(), 0) == 0; }

// Sets the permission bits, e.g. back again so the temporary folder can be cleaned up.
inline void SetPermissions(const QString& path, mode_t mode) { ::chmod(QFile::encodeName(path).constData(), mode); }

}  // namespace hopper::test
