#pragma once
// The line recorder's entries as a table (time, direction, bytes, meaning). It catches up
// with the recorder at most every kRefreshMs, so a flood of bytes costs the view a few
// updates a second, not one per byte.

#include <QAbstractTableModel>
#include <QTimer>

namespace hopper {

class LineRecorder;

class TrafficModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kRefreshMs = 50;

  explicit TrafficModel(LineRecorder& recorder, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Brings the rows up to what the recorder holds now, and follows it from then on.
  void CatchUp();
  // Shows no rows and stops following until the next CatchUp(): the view is hidden.
  void Stop();

 signals:
  void RowsAppended();

 private:
  LineRecorder& recorder_;
  QTimer refresh_;
  int rows_ = 0;  // rows the view knows of
  bool following_ = true;
  std::uint64_t firstSerial_ = 0;  // the recorder's serial number of row 0
};

}  // namespace hopper
