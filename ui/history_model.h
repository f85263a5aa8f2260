#pragma once
// The journal's entries for the History window, newest first, read a page at a time as the
// view scrolls: a journal of 100,000 entries opens as fast as one of ten.

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <vector>

#include "platform/journal/journal_entry.h"
#include "platform/journal/journal_query.h"

namespace hopper {

class HistoryModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kPage = 200;
  enum Column { Time, Port, Result, Changes, Program, Station, Unit, ColumnCount };

  explicit HistoryModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // Starts over on `db` with `filter`; the error of the first page, if any.
  QString Show(const QSqlDatabase& db, const HistoryFilter& filter);
  const JournalEntry& Entry(int row) const { return rows_[std::size_t(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  QString FetchPage();

  QSqlDatabase db_;
  HistoryFilter filter_;
  std::vector<JournalEntry> rows_;
  bool atEnd_ = true;
};

}  // namespace hopper
