#pragma once
// Tells when the computer wakes from sleep (Windows' suspend/resume notification), on the
// thread the listener lives in. Needs no window, so hopper-cli hears it too.

#include <QObject>

namespace hopper {

class ResumeNotice final : public QObject {
  Q_OBJECT
 public:
  // The one notice of the program, registered with the system at its first use.
  static ResumeNotice& Instance();

 signals:
  // Sent from a thread of the system's: connect with the default connection type.
  void Resumed();

 private:
  ResumeNotice();
};

}  // namespace hopper
