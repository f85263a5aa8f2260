#pragma once
// How a journal entry ended, in words for a person: the one place the visit report and the
// History window take them from.

#include <QString>

#include "platform/journal/journal_entry.h"

namespace hopper {

QString VerdictText(const JournalEntry& entry);

}  // namespace hopper
