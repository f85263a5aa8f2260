#pragma once
// Reading the journal back: the newest entries first, a page at a time, filtered by time, port
// and result, for the History window and hopper-cli history.

#include <QDateTime>
#include <QSqlDatabase>
#include <functional>
#include <optional>
#include <vector>

#include "platform/journal/journal_entry.h"

namespace hopper {

struct HistoryFilter {
  QDateTime since;  // invalid: from the first entry
  QDateTime until;  // invalid: to the newest
  QString port;     // "COM3" or a device path; empty: every port
  std::optional<JournalResult> result;
  QString unit;  // empty: every unit
};

// At most `limit` entries from the `offset`-th newest on; the error when the query failed.
std::vector<JournalEntry> ReadHistory(const QSqlDatabase& db, const HistoryFilter& filter, int limit, int offset,
                                      QString* error = nullptr);

// Every entry the filter lets through, newest first, handed to `take` one at a time while the
// database is read a page at a time: memory stays bounded whatever the journal's size. The
// error when a query failed, after the entries read before it.
QString EachHistoryEntry(const QSqlDatabase& db, const HistoryFilter& filter,
                         const std::function<void(const JournalEntry&)>& take, int page = 500);
// What looking for one entry came to.
struct EntryLookup {
  enum class Kind { Found, NoSuchEntry, Unreadable };
  Kind kind = Kind::NoSuchEntry;
  std::optional<JournalEntry> entry;  // when found
  QString why;                        // unreadable: the database's words
};
// The entry with this id, or "last" for the newest.
EntryLookup FindEntry(const QSqlDatabase& db, const QString& id);

// "2026-12-08", "2026-12-08 07:30" or ISO 8601, in the station's time; invalid otherwise.
QDateTime HistoryDate(const QString& text);

}  // namespace hopper
