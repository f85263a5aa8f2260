#pragma once
// A program folder that holds "portable.ini" keeps the tool's own files itself: its settings
// ("Hopper kit.ini"), the backups ("backups") and the journal ("journal.sqlite"), so a copy of the
// program on a USB stick takes them along from machine to machine. Without that file they live
// in the user's folders as usual.

#include <QString>

namespace hopper {

inline constexpr const char* kPortableMarker = "portable.ini";

// The program's folder when it holds portable.ini; empty otherwise (and before the application
// object exists). Looked up anew each time.
QString PortableFolder();

}  // namespace hopper
