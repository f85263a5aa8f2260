#pragma once
// A station's lines journal as the window's link does: an entry for every report read and one
// for every unit's save, each with its outcome.

#include <QString>

namespace hopper {

class Journal;
class Station;

// Call before the station starts, so that its first reports are kept too. The recorders go
// with the station's lines.
void JournalStation(Station& station, Journal& journal, const QString& program);

}  // namespace hopper
