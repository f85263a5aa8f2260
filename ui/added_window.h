#pragma once
// The windows the tool adds beside the main window (History, Station, the line monitor, Ports)
// belong with it: they bear the coin icon, the desktop keeps them with the main window, they
// open within the screen's available area, and Escape closes them.

class QWidget;

namespace hopper {

// Icon, Escape and the tie to `owner` (none for a window that stands alone); the window's size
// is bounded by the available area of the screen it will open on. Call before showing it.
void DressAddedWindow(QWidget* window, QWidget* owner);

// Shrinks and moves `window`, frame included, into the available area of its screen: after it
// is shown, and whenever it might have grown past it.
void KeepWithinScreen(QWidget* window);

}  // namespace hopper
