#pragma once
// One connection to a journal database, SQLite or PostgreSQL, on the thread that made it:
// opened and brought to the current schema, entries added (an entry whose id is there already
// is not added again), and on the local file the entries still to be sent to a shared server.

#include <QSqlDatabase>
#include <QString>
#include <deque>
#include <memory>
#include <vector>

#include "platform/journal/journal_entry.h"
#include "platform/journal/journal_target.h"

class QSqlQuery;

namespace hopper {

class JournalDatabase {
 public:
  static constexpr int kSchemaVersion = 3;

  explicit JournalDatabase(QString connectionName);
  ~JournalDatabase();
  JournalDatabase(const JournalDatabase&) = delete;
  JournalDatabase& operator=(const JournalDatabase&) = delete;

  // Write: opens `target`, creating the file or the tables on first use. Read: opens a journal
  // that is there already, changing nothing. The error when it cannot.
  enum class Use { Write, Read };
  QString Open(const JournalTarget& target, Use use = Use::Write);
  bool IsOpen() const { return open_; }
  void Close();

  // `pending`: the entry is still to be sent to the shared server.
  QString Add(const JournalEntry& entry, bool pending = false);
  // All of `entries` in one transaction, so a burst of them costs the disk one flush: all are
  // added, or none and the error.
  QString AddAll(const std::deque<JournalEntry>& entries, bool pending = false);
  // The oldest entries still to be sent, oldest first.
  std::vector<JournalEntry> Pending(int limit, QString* error = nullptr);
  int PendingCount();
  QString MarkSent(const QString& id);

  QSqlDatabase Database() const { return QSqlDatabase::database(name_, false); }
  const QString& Where() const { return where_; }

 private:
  QString Migrate();
  // An earlier version's journal, read now, lacks a step of the schema.
  bool NeedsMigration();
  QString CheckReadable();
  static QString OpenFailure(const JournalTarget& target, const QString& why);
  QString Failed(const QSqlQuery& query) const;

  QString name_;
  QString where_;
  bool open_ = false;
  std::unique_ptr<QSqlQuery> insert_;  // Add()'s statement, prepared once for each opening
};

// The columns of an entry, in the order EntryOfRow reads them.
QString JournalColumns();
// The entry in the current row of a query that selected JournalColumns().
JournalEntry EntryOfRow(const QSqlQuery& query);

}  // namespace hopper
