#pragma once
// The service journal as the program sees it: Record() keeps the entry and returns at once;
// a moment later, once the window has shown what the link reported, the entries go to the
// writer's thread, so its work never competes with that. What waits and what failed come back
// as signals on the caller's thread.

#include <QObject>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "platform/journal/journal_entry.h"
#include "platform/journal/journal_target.h"

namespace hopper {

class JournalWorker;

struct JournalSetup {
  JournalTarget local = LocalJournal();
  std::optional<JournalTarget> shared;  // the line's server, when the settings name one
  int retryMs = 10000;                  // how soon a failed write is tried again
  QString refused;                      // why the journal the settings name cannot be used
};

class Journal final : public QObject {
  Q_OBJECT
 public:
  explicit Journal(JournalSetup setup = {}, QObject* parent = nullptr);
  ~Journal() override { Close(); }

  // Writes what it can, tells what waits, what was rescued and what was lost, then stops the
  // thread; what a server did not take waits in the local file for the next run. Nothing is
  // recorded after it. It waits for the writer at most kCloseLimitMs: every statement on a
  // server has a time limit, so only a server that stopped answering mid-statement takes
  // that long, and then the program ends without it (its entries are in the local file).
  void Close();
  static constexpr int kCloseLimitMs = 8000;

  // How long an entry waits before it goes to the writer's thread; the entries of a station's
  // ports that come within it go as one batch, written in one transaction. Short: a writer that
  // wakes while the link handles the next frame of a dialogue takes the CPU from it.
  static constexpr int kHandOverMs = 20;
  // How long after it is made the writer opens its file (its database driver, the file, the
  // tables): out of the way of the window being shown. An entry handed over first opens it.
  static constexpr int kOpenAfterMs = 500;

  void Record(const JournalEntry& entry);
  // Calls `then` once every entry recorded so far is in the local file (true), or once the
  // local file could not take them (false). At once when nothing waits for the file.
  void WhenKept(std::function<void(bool kept)> then);
  // Entries not yet where they belong, as last reported.
  int Waiting() const { return waiting_; }

  // "journal: 3 entries waiting"; empty for none.
  static QString WaitingText(int count);

 signals:
  void WaitingChanged(int count);
  void Trouble(const QString& why);
  // At the end: what the local file could not take went into the file `path`.
  void Rescued(const QString& path, int count);
  // At the end: entries kept nowhere, each as a line of JSON, so that they can be shown.
  void Lost(const QStringList& entries);

 private:
  void HandOver();
  void Settle(qint64 count, bool kept);
  void StartWriter();

  QThread* thread_;
  QTimer handOver_;
  std::vector<JournalEntry> queued_;
  JournalWorker* worker_;
  bool closed_ = false;
  bool writerStarted_ = false;
  int waiting_ = 0;
  qint64 recorded_ = 0;
  qint64 kept_ = 0;
  std::vector<std::pair<qint64, std::function<void(bool)>>> waiters_;
};

// The journal the settings ask for: the local file, and the server of [Journal]/Database when
// one is named; when the one named cannot be used, the local file and why not.
JournalSetup JournalSetupFor(const QString& url);

}  // namespace hopper
