#pragma once
// Turns Ctrl+C (and a termination request) into a Qt signal on the main thread, so the run
// can close its port and say what reached the hopper before it ends.

#include <QObject>

class QSocketNotifier;

namespace hopper::cli {

class InterruptNotifier final : public QObject {
  Q_OBJECT
 public:
  explicit InterruptNotifier(QObject* parent = nullptr);
  ~InterruptNotifier() override;

 signals:
  void Interrupted();

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace hopper::cli
