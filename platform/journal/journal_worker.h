#pragma once
// The journal's writer, on a thread of its own so that a slow disk or an unreachable server
// never holds up the link or the window. Every entry goes into the local file first; with a
// shared server it waits there, marked, until the server has taken it, and is sent on in the
// order it came, a few at a time, so that new entries reach the local file between batches.
// A server that failed is tried again only after a while, never on every new entry. When the
// local file cannot take an entry either, it waits in memory (and goes to the server from
// there), and at the end into a new file beside the damaged one; what not even that file takes
// is given back as lost, so that it can be shown. A failure is told once, until the journal
// works again.

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "platform/journal/journal_database.h"

namespace hopper {

class JournalWorker final : public QObject {
  Q_OBJECT
 public:
  JournalWorker(JournalTarget local, std::optional<JournalTarget> shared, int retryMs);
  ~JournalWorker() override;

  // On the worker's thread.
  void Start();
  void Take(const std::vector<JournalEntry>& entries);
  // Writes what it can now and ends its retries; the thread is about to stop.
  void Finish();

 signals:
  // Entries not yet where they belong: in memory, or in the local file for the server.
  void Waiting(int count);
  // What failed, once for each run of failures.
  void Trouble(const QString& why);
  // The first `count` entries taken are in the local file.
  void Kept(qint64 count);
  // Entries up to the `count`-th taken could not be put into the local file (yet).
  void NotKept(qint64 count);
  // At the end: entries the local file could not take went into `path` instead.
  void Rescued(const QString& path, int count);
  // At the end: entries that could be kept nowhere, each as a line of JSON.
  void Lost(const QStringList& entries);

 private:
  void Store();
  bool StoreLocally();
  bool SendOn();
  bool Failed(const QString& why);
  void Rescue();
  void LostRest();
  void Tell(const QString& why);
  void CountWaiting();

  JournalTarget localTarget_;
  std::optional<JournalTarget> sharedTarget_;
  std::unique_ptr<JournalDatabase> local_;
  std::unique_ptr<JournalDatabase> shared_;
  std::deque<JournalEntry> memory_;
  QTimer* retry_ = nullptr;
  QTimer* more_ = nullptr;  // the next batch for the server
  int retryMs_;
  bool troubleTold_ = false;
  int lastWaiting_ = -1;
  qint64 taken_ = 0;
};

}  // namespace hopper
