#pragma once
// The journal as comma-separated values for a spreadsheet: one row per entry, every field,
// each set as 16 columns of its own; UTF-8 with a byte-order mark. Written a page at a time,
// so a journal of any size takes little memory.

#include <QByteArray>
#include <QIODevice>
#include <QSqlDatabase>
#include <QStringList>

#include "platform/journal/journal_entry.h"
#include "platform/journal/journal_query.h"

namespace hopper {

// The column names, in order: id, utc, local, station, user, unit, port, …, reported_1 … read_back_16, ….
QStringList CsvColumns();
// The byte-order mark and the row of column names.
QByteArray CsvHead();
QByteArray CsvRowOf(const JournalEntry& entry);

// The head and the filtered entries, newest first, onto `out`; why it stopped, or nothing.
QString WriteHistoryCsv(const QSqlDatabase& db, const HistoryFilter& filter, QIODevice& out);
// The same into a file that appears only when complete; an earlier file there stays untouched
// when anything fails.
QString SaveHistoryCsv(const QSqlDatabase& db, const HistoryFilter& filter, const QString& path);

}  // namespace hopper
