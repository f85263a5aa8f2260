#include "platform/journal/journal.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>
#include <utility>

#include "platform/journal/journal_worker.h"

namespace hopper {

Journal::Journal(JournalSetup setup, QObject* parent)
    : QObject(parent), thread_(new QThread), worker_(new JournalWorker(setup.local, setup.shared, setup.retryMs)) {
  thread_->setObjectName(QStringLiteral("journal"));
  handOver_.setSingleShot(true);
  handOver_.setInterval(kHandOverMs);
  connect(&handOver_, &QTimer::timeout, this, &Journal::HandOver);
  worker_->moveToThread(thread_);
  connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
  connect(worker_, &JournalWorker::Waiting, this, [this](int count) {
    waiting_ = count;
    emit WaitingChanged(count);
  });
  connect(worker_, &JournalWorker::Trouble, this, &Journal::Trouble);
  connect(worker_, &JournalWorker::Kept, this, [this](qint64 count) { Settle(count, true); });
  connect(worker_, &JournalWorker::NotKept, this, [this](qint64 count) { Settle(count, false); });
  connect(worker_, &JournalWorker::Rescued, this, &Journal::Rescued);
  connect(worker_, &JournalWorker::Lost, this, &Journal::Lost);
  thread_->start();
  QTimer::singleShot(kOpenAfterMs, this, &Journal::StartWriter);
}

void Journal::StartWriter() {
  if (writerStarted_) return;
  writerStarted_ = true;
  QMetaObject::invokeMethod(worker_, &JournalWorker::Start, Qt::QueuedConnection);
}

void Journal::Close() {
  if (closed_) return;
  closed_ = true;
  handOver_.stop();
  StartWriter();
  HandOver();
  // After every entry handed over before now, the worker's thread ends itself; then its last
  // word on what waits. Waiting for the thread rather than for an answer of the worker: a
  // thread that is gone (it has been seen to end without a word under Wine) cannot hold up
  // the end of the program.
  QMetaObject::invokeMethod(
      worker_,
      [worker = worker_] {
        worker->Finish();
        QThread::currentThread()->quit();
      },
      Qt::QueuedConnection);
  if (thread_->wait(QDeadlineTimer(kCloseLimitMs))) {
    delete thread_;
  } else {
    // A server stopped answering in the middle of a statement. The thread is left to itself
    // (ending a thread from outside is never safe); its entries are in the local file.
    emit Trouble(QStringLiteral("the journal's server did not answer; what it has not taken waits in the local file"));
    thread_->quit();
  }
  thread_ = nullptr;
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  Settle(recorded_, false);  // whoever still waits hears that it was not kept
}

void Journal::Record(const JournalEntry& entry) {
  if (closed_) return;
  queued_.push_back(entry);
  ++recorded_;
  if (!handOver_.isActive()) handOver_.start();
}

void Journal::WhenKept(std::function<void(bool)> then) {
  if (kept_ >= recorded_ || closed_) {
    then(kept_ >= recorded_);
    return;
  }
  waiters_.emplace_back(recorded_, std::move(then));
}

void Journal::Settle(qint64 count, bool kept) {
  if (kept) kept_ = std::max(kept_, count);
  std::vector<std::pair<qint64, std::function<void(bool)>>> due;
  for (auto it = waiters_.begin(); it != waiters_.end();) {
    if (it->first <= count) {
      due.push_back(std::move(*it));
      it = waiters_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& [ticket, then] : due) then(kept_ >= ticket);
}

void Journal::HandOver() {
  if (queued_.empty()) return;
  StartWriter();
  QMetaObject::invokeMethod(
      worker_, [worker = worker_, entries = std::exchange(queued_, {})] { worker->Take(entries); },
      Qt::QueuedConnection);
}

QString Journal::WaitingText(int count) {
  if (count <= 0) return {};
  return count == 1 ? QStringLiteral("journal: 1 entry waiting")
                    : QStringLiteral("journal: %1 entries waiting").arg(count);
}

JournalSetup JournalSetupFor(const QString& url) {
  JournalSetup setup;
  if (url.trimmed().isEmpty()) return setup;
  JournalTarget target = ParseJournalTarget(url);
  setup.refused = target.ok() ? MissingDriver(target) : target.error;
  if (!setup.refused.isEmpty()) return setup;
  // Another file instead of the one in the data folder; a server beside it.
  if (target.Shared()) setup.shared = target;
  else setup.local = target;
  return setup;
}

}  // namespace hopper
