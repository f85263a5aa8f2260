#pragma once
// What a drag from the desktop carries, as the main window takes it: one parameter file to
// load as "Open" loads it, or text for a box.

#include <QString>
#include <optional>

class QMimeData;

namespace hopper {

// The one local file the drag carries; nothing for several files, a web address or plain text.
std::optional<QString> DroppedFile(const QMimeData* data);

// True when the drag carries text that a channel box's filter lets through: digits only.
bool BoxTakesDroppedText(const QMimeData* data);

}  // namespace hopper
