#include "platform/journal/station_journal.h"

#include "platform/journal/link_journal.h"
#include "platform/station/station.h"

namespace hopper {

void JournalStation(Station& station, Journal& journal, const QString& program) {
  for (const std::unique_ptr<StationLine>& line : station.Lines()) {
    new LinkJournal(line->Link(), journal, program, line.get());
  }
}

}  // namespace hopper
