#pragma once
// A station's journal: one entry for every unit, from its record, whether it passed or failed
// before its save or after it.

#include <QString>

#include "platform/journal/link_journal.h"
#include "platform/station/station_unit.h"

namespace hopper {

class Journal;
class Station;

// The entry a finished unit on `port` is kept as.
JournalEntry EntryOfUnit(const UnitRecord& unit, const SerialPort& port, const QString& program);

// Call before the station starts. The connections go with the station's lines.
void JournalStation(Station& station, Journal& journal, const QString& program);

}  // namespace hopper
