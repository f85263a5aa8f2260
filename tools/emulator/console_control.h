#pragma once
// What the emulator's user can do while it runs: lines typed on its console
// ("p" switches the hopper on, "q" quits) and signals (SIGUSR1 switches it on,
// SIGINT and SIGTERM quit cleanly, so a symbolic link made for the line is removed).

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace hopper::emulator {

class ConsoleControl final : public QObject {
  Q_OBJECT
 public:
  explicit ConsoleControl(QObject* parent = nullptr);
  ~ConsoleControl() override;

 signals:
  void PowerOnAsked();
  void QuitAsked();

 private:
  void ReadConsole();
  void ReadSignal();

  std::unique_ptr<QSocketNotifier> console_;
  std::unique_ptr<QSocketNotifier> signals_;
  QByteArray line_;
};

}  // namespace hopper::emulator
