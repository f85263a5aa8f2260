#pragma once
// One port of the station window: a large tile that reads from across the bench. Green with
// PASS after a good unit, red with FAIL and the reason after a bad one, grey while it waits
// (or works on the next hopper), dark orange with "not started" and the reason when its port
// never opened; the count and the last unit's time beneath. A yellow rim shows the focus.

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
  // The station did not start: the tile says so, with `why`, until it starts (an empty `why`).
  void ShowNotStarted(const QString& why);

  QString Verdict() const;  // the large word: "PASS", "FAIL", "waiting", "not started", …

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitVerdict();

  const StationLine& line_;
  QLabel* port_;
  QLabel* verdict_;
  QLabel* counts_;
  QLabel* detail_;
  QString notStartedWhy_;  // empty once the station runs
};

}  // namespace hopper
