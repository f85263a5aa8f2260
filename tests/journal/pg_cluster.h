#pragma once
// A throwaway PostgreSQL server for the journal's tests: a cluster made with initdb in a
// temporary folder, listening on a Unix socket there only, started and stopped with pg_ctl.
// initdb refuses to run as root, so under root the cluster belongs to the postgres user the
// Debian package creates.

#include <QString>
#include <QTemporaryDir>

#include "platform/journal/journal_target.h"

namespace hopper::test {

class PgCluster {
 public:
  PgCluster();
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  // Why there is no server: no PostgreSQL programs, or initdb failed. Empty when it runs.
  const QString& Problem() const { return problem_; }
  bool Start();
  bool Stop();
  // postgresql:///postgres?host=<socket folder>&user=<the cluster's owner>.
  QString Url() const;

 private:
  bool Run(const QStringList& arguments);
  QString User() const;

  QTemporaryDir dir_;
  QString bin_;
  QString owner_;  // the user the server runs as, when the test runs as root
  QString problem_;
  bool running_ = false;
};

// Holds the journal's table of a server locked (in a transaction of a connection of its own)
// until released: a server that answers but takes no entries.
class TableLock {
 public:
  explicit TableLock(const JournalTarget& server);
  ~TableLock();
  TableLock(const TableLock&) = delete;
  TableLock& operator=(const TableLock&) = delete;

  // Why the lock is not held. Empty when it is.
  const QString& Problem() const { return problem_; }
  bool Release();

 private:
  QString connection_;
  QString problem_;
  bool held_ = false;
};

}  // namespace hopper::test
