#pragma once
// Whether a path can be a serial device at all, so a wrong assignment is refused with the
// reason instead of failing somewhere later.

#include <QString>

namespace hopper {

// Why `path` cannot be a serial device: missing, a folder, a regular file, not a terminal.
// Empty when it may be one. With `probe`, a character device is opened for a moment to ask
// whether it is a terminal; without, only its kind is looked at.
QString SerialDeviceProblem(const QString& path, bool probe);

}  // namespace hopper
