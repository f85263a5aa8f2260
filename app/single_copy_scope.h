#pragma once
// Where the single-copy rule holds, one implementation per platform: on Linux the user's runtime
// folder (cleared at every reboot) and a socket in it; on Windows the user's login session,
// with a folder under the settings folder and a named pipe for that session.

#include <QString>

namespace hopper {

// The folder that holds the lock, looked up anew each time.
QString SingleCopyFolder();
// The name of the local channel a later copy knocks at.
QString SingleCopyChannel();

}  // namespace hopper
