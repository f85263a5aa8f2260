#pragma once
// Turns Ctrl+C, a termination request and a hang-up (logout) into a Qt signal on the main
// thread, so the program can close its port, store its settings and say what reached the
// hopper before it ends. One at a time per process.

#include <QObject>

class QSocketNotifier;

namespace hopper {

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

}  // namespace hopper
