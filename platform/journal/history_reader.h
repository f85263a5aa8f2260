#pragma once
// Reads the journal for the History window on a thread of its own: a locked table or a slow
// server holds up that thread only, never the one that answers the hopper. Each answer comes
// back on the caller's thread with the number of the request it answers, so that an answer
// to a filter no longer shown is recognised and dropped. The journal is opened for reading
// only: a journal that is not there is said, never made.

#include <QObject>
#include <QThread>
#include <vector>

#include "platform/journal/journal_entry.h"
#include "platform/journal/journal_query.h"
#include "platform/journal/journal_target.h"

namespace hopper {

class HistoryReader final : public QObject {
  Q_OBJECT
 public:
  explicit HistoryReader(JournalTarget target, QObject* parent = nullptr);
  ~HistoryReader() override;

  // Asks for at most `limit` entries from the `offset`-th newest on; PageRead answers it.
  // Returns the request's number.
  quint64 Read(const HistoryFilter& filter, int offset, int limit);
  // Writes every entry the filter lets through as CSV into `path`, on the reader's thread and
  // through its connection; CsvSaved answers it.
  void SaveCsv(const HistoryFilter& filter, const QString& path);

 signals:
  // `error` is empty when the page was read; a page shorter than asked for is the last.
  void PageRead(quint64 request, const std::vector<hopper::JournalEntry>& page, const QString& error);
  // `error` is empty when the file was written whole.
  void CsvSaved(const QString& path, const QString& error);

 private:
  class Worker;
  QThread thread_;
  Worker* worker_;
  quint64 requests_ = 0;
};

}  // namespace hopper
