#include "ui/traffic_model.h"

#include <QFontDatabase>

#include "platform/serial/line_recorder.h"

namespace hopper {

namespace {
enum Column { Time, Direction, Bytes, Meaning, ColumnCount };
}

TrafficModel::TrafficModel(LineRecorder& recorder, QObject* parent) : QAbstractTableModel(parent), recorder_(recorder) {
  refresh_.setSingleShot(true);
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, &TrafficModel::CatchUp);
  connect(&recorder_, &LineRecorder::Recorded, this, [this] {
    if (following_ && !refresh_.isActive()) refresh_.start();
  });
  CatchUp();
}

int TrafficModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TrafficModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case Time: return QStringLiteral("ms");
    case Direction: return QStringLiteral("Direction");
    case Bytes: return QStringLiteral("Bytes");
    case Meaning: return QStringLiteral("Meaning");
  }
  return {};
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
  const TrafficRing& ring = recorder_.Entries();
  const std::uint64_t serial = firstSerial_ + std::uint64_t(index.row());
  if (!index.isValid() || serial < ring.FirstSerial() || serial - ring.FirstSerial() >= ring.Size()) return {};
  const TrafficEntry& entry = ring.At(std::size_t(serial - ring.FirstSerial()));
  if (role == Qt::FontRole && index.column() == Bytes) return QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (role == Qt::TextAlignmentRole && index.column() == Time) return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case Time: return QString::number(entry.ms);
    case Direction: return QString::fromStdString(DirectionText(entry.direction));
    case Bytes: return QString::fromStdString(HexText(entry.bytes));
    case Meaning: return QString::fromStdString(entry.meaning);
  }
  return {};
}

void TrafficModel::Stop() {
  following_ = false;
  refresh_.stop();
  beginResetModel();
  rows_ = 0;
  endResetModel();
}

void TrafficModel::CatchUp() {
  following_ = true;
  const TrafficRing& ring = recorder_.Entries();
  const std::uint64_t first = ring.FirstSerial();
  const std::uint64_t end = ring.Started();
  const std::uint64_t shownEnd = firstSerial_ + std::uint64_t(rows_);
  if (first >= shownEnd || end < shownEnd) {
    // Everything shown has gone (cleared, or flooded past): start again from what is held.
    beginResetModel();
    firstSerial_ = first;
    rows_ = int(ring.Size());
    endResetModel();
    emit RowsAppended();
    return;
  }
  if (first > firstSerial_) {
    beginRemoveRows({}, 0, int(first - firstSerial_) - 1);
    rows_ -= int(first - firstSerial_);
    firstSerial_ = first;
    endRemoveRows();
  }
  // The newest row may have grown by joined bytes.
  if (rows_ > 0) emit dataChanged(index(rows_ - 1, 0), index(rows_ - 1, ColumnCount - 1));
  if (end > shownEnd) {
    beginInsertRows({}, rows_, rows_ + int(end - shownEnd) - 1);
    rows_ += int(end - shownEnd);
    endInsertRows();
    emit RowsAppended();
  }
}

}  // namespace hopper
