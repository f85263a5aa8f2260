#include "ui/history_model.h"

#include <QStringList>

namespace hopper {

QString HistoryModel::Show(const QSqlDatabase& db, const HistoryFilter& filter) {
  beginResetModel();
  db_ = db;
  filter_ = filter;
  rows_.clear();
  atEnd_ = false;
  const QString why = FetchPage();
  endResetModel();
  return why;
}

QString HistoryModel::FetchPage() {
  QString why;
  std::vector<JournalEntry> page = ReadHistory(db_, filter_, kPage, int(rows_.size()), &why);
  atEnd_ = !why.isEmpty() || int(page.size()) < kPage;
  for (JournalEntry& entry : page) rows_.push_back(std::move(entry));
  return why;
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !atEnd_; }

void HistoryModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  const int first = int(rows_.size());
  std::vector<JournalEntry> page = ReadHistory(db_, filter_, kPage, first);
  atEnd_ = int(page.size()) < kPage;
  if (page.empty()) return;
  beginInsertRows({}, first, first + int(page.size()) - 1);
  for (JournalEntry& entry : page) rows_.push_back(std::move(entry));
  endInsertRows();
}

int HistoryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }
int HistoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const JournalEntry& e = Entry(index.row());
  switch (index.column()) {
    case Time: return e.utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Port: return e.port;
    case Result:
      return e.detail.isEmpty() ? ResultName(e.result) : ResultName(e.result) + QStringLiteral(": ") + e.detail;
    case Changes: return ChangesText(e);
    case Program: return e.program;
    case Station: return e.user.isEmpty() ? e.station : e.user + QLatin1Char('@') + e.station;
    case Unit: return e.unit;
    default: return {};
  }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const QStringList names = {QStringLiteral("Time"),    QStringLiteral("Port"),    QStringLiteral("Result"),
                                    QStringLiteral("Changed"), QStringLiteral("Program"), QStringLiteral("Station"),
                                    QStringLiteral("Unit")};
  return names.value(section);
}

}  // namespace hopper
