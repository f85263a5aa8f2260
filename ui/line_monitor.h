#pragma once
// The line monitor: the hopper line's traffic as it happens, one row per entry, newest at the
// bottom. "Save log..." writes the shown rows as text, "Clear" empties the record. It has no
// owner window, so it stays usable while the main window has handed its port over.

#include <QWidget>

class QPushButton;
class QTableView;

namespace hopper {

class FileDialog;
class LineRecorder;
class MessageBoxes;
class TrafficModel;

inline const QString kLineMonitorTitle = QStringLiteral("Line Monitor");

class LineMonitor final : public QWidget {
  Q_OBJECT
 public:
  LineMonitor(LineRecorder& recorder, FileDialog& dialog, MessageBoxes& messages, QWidget* parent = nullptr);

  // Shows the window (or brings it forward) with the keyboard focus in its table.
  void Open();

  TrafficModel& Model() { return *model_; }

 public slots:
  void SaveLog();
  void Clear();

 signals:
  // Escape or the close box: the window that opened the monitor may take the focus back.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FollowNewest();

  LineRecorder& recorder_;
  FileDialog& dialog_;
  MessageBoxes& messages_;
  TrafficModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QPushButton* saveLogButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
};

}  // namespace hopper
