#include "platform/journal/journal.h"

#include <QCoreApplication>
#include <utility>

#include "platform/journal/journal_worker.h"

namespace hopper {

Journal::Journal(JournalSetup setup, QObject* parent)
    : QObject(parent), worker_(new JournalWorker(setup.local, setup.shared, setup.retryMs)) {
  thread_.setObjectName(QStringLiteral("journal"));
  handOver_.setSingleShot(true);
  handOver_.setInterval(kHandOverMs);
  connect(&handOver_, &QTimer::timeout, this, &Journal::HandOver);
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  connect(worker_, &JournalWorker::Waiting, this, [this](int count) {
    waiting_ = count;
    emit WaitingChanged(count);
  });
  connect(worker_, &JournalWorker::Trouble, this, &Journal::Trouble);
  thread_.start();
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
  thread_.wait();
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void Journal::Record(const JournalEntry& entry) {
  if (closed_) return;
  queued_.push_back(entry);
  if (!handOver_.isActive()) handOver_.start();
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

JournalSetup JournalSetupFor(const QString& url, QString* problem) {
  JournalSetup setup;
  if (url.trimmed().isEmpty()) return setup;
  JournalTarget target = ParseJournalTarget(url);
  QString why = target.ok() ? MissingDriver(target) : target.error;
  if (!why.isEmpty()) {
    if (problem) *problem = why;
    return setup;
  }
  // Another file instead of the one in the data folder; a server beside it.
  if (target.Shared()) setup.shared = target;
  else setup.local = target;
  return setup;
}

}  // namespace hopper
