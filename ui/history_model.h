#pragma once
// The journal's entries for the History window, newest first, read a page at a time as the
// view scrolls: a journal of 100,000 entries opens as fast as one of ten. The pages are read
// by a HistoryReader on its own thread; the model shows what has come and says when a page is
// still coming.

#include <QAbstractTableModel>
#include <vector>

#include "platform/journal/journal_entry.h"
#include "platform/journal/journal_query.h"

namespace hopper {

class HistoryReader;

class HistoryModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kPage = 200;
  enum Column { Time, Port, Result, Changes, Program, Station, Unit, ColumnCount };

  explicit HistoryModel(HistoryReader& reader, QObject* parent = nullptr);

  // Starts over with `filter`: the list empties and its first page is asked for.
  void Show(const HistoryFilter& filter);
  const JournalEntry& Entry(int row) const { return rows_[std::size_t(row)]; }
  // A page has been asked for and has not come yet.
  bool Loading() const { return pending_ != 0; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 signals:
  // A page came in (`error` empty) or could not be read; the first page of a Show included.
  void PageCame(const QString& error, bool first);

 private:
  void Take(quint64 request, const std::vector<JournalEntry>& page, const QString& error);

  HistoryReader& reader_;
  HistoryFilter filter_;
  std::vector<JournalEntry> rows_;
  quint64 pending_ = 0;  // the request whose answer is awaited
  bool atEnd_ = true;
};

}  // namespace hopper
