#pragma once
// The service journal as the program sees it: Record() keeps the entry and returns at once;
// a moment later, once the window has shown what the link reported, the entries go to the
// writer's thread, so its work never competes with that. What waits and what failed come back
// as signals on the caller's thread.

#include <QObject>
#include <QThread>
#include <QTimer>
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
};

class Journal final : public QObject {
  Q_OBJECT
 public:
  explicit Journal(JournalSetup setup = {}, QObject* parent = nullptr);
  ~Journal() override { Close(); }

  // Writes what it can, tells what waits and what failed, then stops the thread; what a server
  // did not take waits in the local file for the next run. Nothing is recorded after it.
  void Close();

  // How long an entry waits before it goes to the writer's thread; the entries of a station's
  // ports that come within it go as one batch, written in one transaction. Short: a writer that
  // wakes while the link handles the next frame of a dialogue takes the CPU from it.
  static constexpr int kHandOverMs = 20;
  // How long after it is made the writer opens its file (its database driver, the file, the
  // tables): out of the way of the window being shown. An entry handed over first opens it.
  static constexpr int kOpenAfterMs = 500;

  void Record(const JournalEntry& entry);
  // Entries not yet where they belong, as last reported.
  int Waiting() const { return waiting_; }

  // "journal: 3 entries waiting"; empty for none.
  static QString WaitingText(int count);

 signals:
  void WaitingChanged(int count);
  void Trouble(const QString& why);

 private:
  void HandOver();
  void StartWriter();

  QThread thread_;
  QTimer handOver_;
  std::vector<JournalEntry> queued_;
  JournalWorker* worker_;
  bool closed_ = false;
  bool writerStarted_ = false;
  int waiting_ = 0;
};

// The journal the settings ask for: the local file, and the server of [Journal]/Database when
// one is named. `problem` says why a named server cannot be used.
JournalSetup JournalSetupFor(const QString& url, QString* problem);

}  // namespace hopper
