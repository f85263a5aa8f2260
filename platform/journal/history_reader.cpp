#include "platform/journal/history_reader.h"

#include <QPointer>
#include <memory>

#include "platform/journal/journal_csv.h"
#include "platform/journal/journal_database.h"

namespace hopper {

// Lives on the reader's thread, with the connection made there and removed there.
class HistoryReader::Worker final : public QObject {
 public:
  explicit Worker(JournalTarget target) : target_(std::move(target)) {}
  ~Worker() override = default;

  // The connection, opened when first needed; the reason when it cannot be.
  QString Opened() {
    if (!db_) db_ = std::make_unique<JournalDatabase>(QStringLiteral("history-window"));
    if (!db_->IsOpen()) return db_->Open(target_, JournalDatabase::Use::Read);
    return {};
  }

  QString SaveCsv(const HistoryFilter& filter, const QString& path) {
    if (QString why = Opened(); !why.isEmpty()) return why;
    return SaveHistoryCsv(db_->Database(), filter, path);
  }

  std::vector<JournalEntry> Read(const HistoryFilter& filter, int offset, int limit, QString* error) {
    if (QString why = Opened(); !why.isEmpty()) {
      *error = why;
      return {};
    }
    QString why;
    std::vector<JournalEntry> page = ReadHistory(db_->Database(), filter, limit, offset, &why);
    if (!why.isEmpty()) {
      // A server that went away is opened again with the next request.
      *error = QStringLiteral("%1: %2").arg(db_->Where(), why.trimmed());
      db_->Close();
    }
    return page;
  }

 private:
  JournalTarget target_;
  std::unique_ptr<JournalDatabase> db_;
};

HistoryReader::HistoryReader(JournalTarget target, QObject* parent)
    : QObject(parent), worker_(new Worker(std::move(target))) {
  thread_.setObjectName(QStringLiteral("history"));
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start();
}

HistoryReader::~HistoryReader() {
  // A read under way ends within the server's statement limit; then the connection goes with
  // the worker, on its own thread.
  thread_.quit();
  thread_.wait();
}

quint64 HistoryReader::Read(const HistoryFilter& filter, int offset, int limit) {
  const quint64 request = ++requests_;
  QMetaObject::invokeMethod(
      worker_,
      [worker = worker_, reader = QPointer<HistoryReader>(this), filter, offset, limit, request] {
        QString error;
        std::vector<JournalEntry> page = worker->Read(filter, offset, limit, &error);
        if (!reader) return;
        QMetaObject::invokeMethod(
            reader.data(),
            [reader, request, page = std::move(page), error] {
              if (reader) emit reader->PageRead(request, page, error);
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
  return request;
}

void HistoryReader::SaveCsv(const HistoryFilter& filter, const QString& path) {
  QMetaObject::invokeMethod(
      worker_,
      [worker = worker_, reader = QPointer<HistoryReader>(this), filter, path] {
        const QString error = worker->SaveCsv(filter, path);
        if (!reader) return;
        QMetaObject::invokeMethod(
            reader.data(),
            [reader, path, error] {
              if (reader) emit reader->CsvSaved(path, error);
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

}  // namespace hopper
