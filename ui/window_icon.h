#pragma once
// The tool's own window icon: a coin, drawn rather than loaded so it is always there.
// The manual window bears the same icon.

#include <QIcon>

namespace hopper {

QIcon ToolWindowIcon();

}  // namespace hopper
