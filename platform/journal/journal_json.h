#pragma once
// An entry as JSON, the same for hopper-cli history and for an entry that could be kept
// nowhere and is printed instead, so that nothing is lost without a trace.

#include <QJsonObject>

#include "platform/journal/journal_entry.h"

namespace hopper {

QJsonObject JournalJson(const JournalEntry& entry);
// The entry as one line of compact JSON.
QString JournalJsonLine(const JournalEntry& entry);

}  // namespace hopper
