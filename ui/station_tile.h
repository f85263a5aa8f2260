#pragma once
// One port of the station window: a large tile that reads from across the bench. Green with
// PASS after a good unit, red with FAIL and the reason after a bad one, grey while it waits
// (or works on the next hopper); the count and the last unit's time beneath.

#include <QFrame>

class QLabel;

namespace hopper {

class StationLine;

class StationTile final : public QFrame {
  Q_OBJECT
 public:
  explicit StationTile(const StationLine& line, QWidget* parent = nullptr);
  // Shows what the line stands at now.
  void Refresh();

  QString Verdict() const;  // the large word: "PASS", "FAIL", "waiting", …

 private:
  const StationLine& line_;
  QLabel* port_;
  QLabel* verdict_;
  QLabel* counts_;
  QLabel* detail_;
};

}  // namespace hopper
