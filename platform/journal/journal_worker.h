#pragma once
// The journal's writer, on a thread of its own so that a slow disk or an unreachable server
// never holds up the link or the window. Every entry goes into the local file first; with a
// shared server it waits there, marked, until the server has taken it, and is sent on in the
// order it came. When the local file cannot take it either, it waits in memory (and goes to
// the server from there), and at the end into a new file beside the damaged one. A failure is
// told once, until the journal works again.

#include <QObject>
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

 private:
  void Store();
  bool StoreLocally();
  bool SendOn();
  bool Failed(const QString& why);
  void Rescue();
  void Tell(const QString& why);

  JournalTarget localTarget_;
  std::optional<JournalTarget> sharedTarget_;
  std::unique_ptr<JournalDatabase> local_;
  std::unique_ptr<JournalDatabase> shared_;
  std::deque<JournalEntry> memory_;
  QTimer* retry_ = nullptr;
  int retryMs_;
  bool troubleTold_ = false;
  int lastWaiting_ = -1;
};

}  // namespace hopper
