#include "ui/history_model.h"

#include <QStringList>

#include "platform/journal/history_reader.h"

namespace hopper {

HistoryModel::HistoryModel(HistoryReader& reader, QObject* parent) : QAbstractTableModel(parent), reader_(reader) {
  connect(&reader_, &HistoryReader::PageRead, this, &HistoryModel::Take);
}

void HistoryModel::Show(const HistoryFilter& filter) {
  beginResetModel();
  filter_ = filter;
  rows_.clear();
  atEnd_ = false;
  endResetModel();
  // An answer to an earlier filter that is still on its way is dropped when it comes.
  pending_ = reader_.Read(filter_, 0, kPage);
}

void HistoryModel::Take(quint64 request, const std::vector<JournalEntry>& page, const QString& error) {
  if (request != pending_) return;
  pending_ = 0;
  const bool first = rows_.empty();
  atEnd_ = !error.isEmpty() || int(page.size()) < kPage;
  if (!page.empty()) {
    beginInsertRows({}, int(rows_.size()), int(rows_.size() + page.size()) - 1);
    rows_.insert(rows_.end(), page.begin(), page.end());
    endInsertRows();
  }
  emit PageCame(error, first);
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && !atEnd_ && pending_ == 0;
}

void HistoryModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  pending_ = reader_.Read(filter_, int(rows_.size()), kPage);
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
