#pragma once
// The local channel beside the single-copy lock: the running copy listens on it, a later copy
// knocks and ends. One implementation per platform: a Unix-domain socket on Linux (no network
// library for one knock), Qt's local socket, a named pipe, on Windows.

#include <QObject>
#include <QString>
#include <memory>

namespace hopper {

class CopyChannel final : public QObject {
  Q_OBJECT
 public:
  explicit CopyChannel(QObject* parent = nullptr);
  ~CopyChannel() override;

  // Listens on `name`, taking over what a copy that crashed left there. False when it cannot:
  // the tool runs on, only the raising is lost.
  bool Listen(const QString& name);
  // Knocks at the copy listening on `name`; false when none takes the knock within `timeoutMs`.
  static bool Knock(const QString& name, int timeoutMs);

 signals:
  // A later copy knocked.
  void Knocked();

 private:
  struct Listener;
  std::unique_ptr<Listener> listener_;
};

}  // namespace hopper
