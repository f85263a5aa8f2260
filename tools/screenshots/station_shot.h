#pragma once

#include <QString>

namespace hopper {

// Renders the station window with emulated fixtures into the PNG at `path`.
bool ShootStation(const QString& path);

}  // namespace hopper
