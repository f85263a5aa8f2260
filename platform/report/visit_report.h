#pragma once
// The record of a visit to hand over: for each journal entry one A4 page with the unit, the
// time with its offset, station, user, port and adapter, the set before and after channel by
// channel with the changed ones marked in words, how the save ended, the backup file and the
// program's version. The text in it is real text: it can be selected and searched.

#include <QString>
#include <vector>

#include <QFont>

class QPainter;

#include "platform/journal/journal_entry.h"

namespace hopper {

// The report's text font.
QFont ReportFont();
// One entry's page, drawn in points (1/72 inch) on a page `width` points wide.
void DrawReportPage(QPainter& painter, int width, const JournalEntry& entry);

// Writes the report to `path` through a temporary file that takes the name only once the PDF
// is complete; an earlier file there stays as it was on any failure. Why it failed, or nothing.
// Needs a QGuiApplication (fonts).
QString WriteVisitReport(const std::vector<JournalEntry>& entries, const QString& path);

}  // namespace hopper
