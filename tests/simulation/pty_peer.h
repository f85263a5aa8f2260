#pragma once
// The hopper's end of the line for tests: the master side of a pseudo-terminal, whose slave
// device the program opens as its serial port.

#include <QByteArray>
#include <QString>

class PtyPeer {
 public:
  PtyPeer();
  ~PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  bool IsOpen() const { return master_ >= 0; }
  // The device the program opens, e.g. /dev/pts/7.
  QString DevicePath() const { return devicePath_; }

  // Runs the event loop until `count` bytes have arrived from the program (or 5 s passed);
  // returns everything received so far and forgets it.
  QByteArray Receive(int count);
  // Sends bytes to the program as the hopper would.
  bool Send(const QByteArray& bytes);

 private:
  void ReadWaiting();

  int master_ = -1;
  int slave_ = -1;  // held open so the line never hangs up between the program's opens
  QString devicePath_;
  QByteArray received_;
};
