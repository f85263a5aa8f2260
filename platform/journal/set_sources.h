#pragma once
// Where a set to compare comes from, outside the main window: a parameter file as Open reads
// it, the newest backup, or the set a journal entry left the hopper with. Each gives its 16
// values, or says why it cannot.

#include <QSqlDatabase>
#include <QString>
#include <optional>

#include "core/channel_table.h"
#include "core/set_compare.h"

namespace hopper {

class BackupStore;
struct JournalTarget;

struct SetSource {
  QString name;        // as the technician named it: "a.txt", "backup:last", "journal:ID"
  QString path;        // the file read, where there is one
  ChannelTexts texts;  // the values as the boxes would show them
  QString error;       // why there are none; empty when there are
  bool ok() const { return error.isEmpty(); }
  ComparedSet Values() const { return ComparedOf(texts); }
};

// A parameter file read as Open reads it; a set that Save would refuse (all 0, above 65535) is
// still compared.
SetSource FileSet(const QString& path);
// The newest backup of the hopper on `port`, or of any hopper when `port` is empty.
SetSource NewestBackup(const BackupStore& store, const QString& port = {});
// What a journal entry left the hopper with: its read-back, else what was sent, else its report.
SetSource JournalSet(const QSqlDatabase& db, const QString& id);

// A local journal file that is not there yet: reading it must not make it.
bool NoJournalYet(const JournalTarget& journal);

// hopper-cli's words: "backup:last", "journal:ID" (or journal:last), anything else a file.
SetSource NamedSet(const QString& word, const BackupStore& store, const JournalTarget& journal);

}  // namespace hopper
