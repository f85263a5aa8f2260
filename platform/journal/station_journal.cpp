#include "platform/journal/station_journal.h"

#include "platform/journal/journal.h"
#include "platform/journal/link_journal.h"
#include "platform/station/station.h"

namespace hopper {

JournalEntry EntryOfUnit(const UnitRecord& unit, const SerialPort& port, const QString& program) {
  JournalEntry entry = PortEntry(port, program);
  entry.header = unit.header;
  entry.info = unit.info;
  entry.reported = unit.reported;
  if (unit.saveSent) entry.sent = unit.written;
  entry.readBack = unit.readBack;
  if (unit.verdict) {
    // The save is kept as the window and hopper-cli keep theirs: the verdict and its words.
    entry.result = ResultOf(unit.verdict->kind);
    entry.detailKind = QString::fromLatin1(VerdictName(unit.verdict->kind));
    if (!unit.verdict->Verified()) entry.detail = QString::fromStdString(VerdictText(*unit.verdict));
  } else {
    // The unit failed before its save: nothing was written.
    entry.result = JournalResult::Failed;
    entry.detailKind = UnitFaultName(unit.fault);
    entry.detail = unit.reason;
  }
  return entry;
}

void JournalStation(Station& station, Journal& journal, const QString& program) {
  for (const std::unique_ptr<StationLine>& line : station.Lines()) {
    StationLine* where = line.get();
    QObject::connect(where, &StationLine::UnitFinished, where, [&journal, where, program](const UnitRecord& unit) {
      journal.Record(EntryOfUnit(unit, where->Link().Port(), program));
    });
  }
}

}  // namespace hopper
