#pragma once
// The tool's own window icon: a coin, drawn rather than loaded so it is always there.
// The manual window bears the same icon.

#include <QIcon>
#include <QPixmap>

namespace hopper {

QIcon ToolWindowIcon();

// The same coin at any size, for the desktop's icon theme.
QPixmap ToolIconPixmap(int size);

}  // namespace hopper
