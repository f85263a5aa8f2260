#pragma once
// The line monitor: the hopper line's traffic as it happens, one row per entry, newest at the
// bottom. "Save log..." writes the shown rows as text, "Clear" empties the record. It has no
// owner window, so it stays usable while the main window has handed its port over. Below the
// rows stand the parity and framing errors the driver counted, where it counts them.

#include <QWidget>
#include <functional>
#include <optional>

#include "core/line_check.h"

class QLabel;
class QPushButton;
class QTimer;
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

  // Where the counted line errors come from; asked every kErrorsMs while the monitor is shown.
  using ErrorSource = std::function<std::optional<LineErrorCounts>()>;
  void SetErrorSource(ErrorSource source);
  static constexpr int kErrorsMs = 1000;

 public slots:
  void SaveLog();
  void Clear();

 signals:
  // Escape or the close box: the window that opened the monitor may take the focus back.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FollowNewest();
  void ShowErrors();

  LineRecorder& recorder_;
  FileDialog& dialog_;
  MessageBoxes& messages_;
  TrafficModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QPushButton* saveLogButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
  QLabel* errorsLine_ = nullptr;
  QTimer* errorsTimer_ = nullptr;
  ErrorSource errors_;
};

}  // namespace hopper
