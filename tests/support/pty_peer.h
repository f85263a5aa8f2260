#pragma once
// The far end of a serial line for tests: a pseudo-terminal whose device path the program
// opens as its port, while the test reads and writes the other side like a hopper would.

#include <QByteArray>
#include <QString>

namespace hopper::test {

class PtyPeer {
 public:
  PtyPeer();  // check IsValid(): openpty can fail when the system runs out of terminals
  ~PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  bool IsValid() const { return master_ >= 0; }
  // The device the program opens, for example /dev/pts/3.
  QString path() const { return path_; }
  // The far end itself, for a benchmark that plays the hopper from a thread of its own.
  int MasterFd() const { return master_; }

  // Sends bytes to the program, all of them.
  bool write(const QByteArray& bytes);
  // What the program sent that has not been taken yet, without waiting.
  QByteArray readAvailable();
  // Waits, running the event loop, until at least `count` bytes have arrived in all (or the
  // time is up), then takes them all.
  QByteArray waitForBytes(int count, int timeoutMs = 5000);

  // Hangs up: the program's side of the line sees the far end go away.
  void closeFarEnd();

 private:
  void Pull();

  int master_ = -1;
  int slave_ = -1;  // held so the line stays up before and between the program's opens
  QString path_;
  QByteArray received_;
};

}  // namespace hopper::test
