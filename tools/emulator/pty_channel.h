#pragma once
// A pseudo-terminal as the line: the emulator keeps the master side, the tool opens the
// slave device as if it were a serial port.
//
// Nobody but the tool holds the slave open, so the master can tell whether the tool has the
// port open: while it has not, the master reports a hang-up and reads fail with EIO. That
// state is watched, so the tool may close and reopen its port as often as it likes.

#include <QTimer>

#include "tools/emulator/fd_channel.h"

namespace hopper::emulator {

class PtyChannel final : public FdChannel {
  Q_OBJECT
 public:
  explicit PtyChannel(QObject* parent = nullptr);
  ~PtyChannel() override;

  // Creates the pair; `linkPath`, if given, becomes a symbolic link to the slave device
  // (a symbolic link already there is replaced; any other file is left alone and reported).
  // Empty on success, else what went wrong.
  QString Open(const QString& linkPath = {});

  QString FarEndName() const override { return slavePath_; }
  QString SlavePath() const { return slavePath_; }

 protected:
  void ReadFailed(int error) override;
  void BeforeClose() override;

 private:
  void CheckPeer();
  bool FarEndOpen() const;

  QString slavePath_;
  QString linkPath_;
  QTimer peerWatch_;
};

}  // namespace hopper::emulator
