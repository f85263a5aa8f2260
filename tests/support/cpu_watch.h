#pragma once
// Shows that the program sits idle: runs the event loop for a while and reports how much of
// that time the process spent on the CPU. A loop that spins on a signal storm takes nearly all.

#include <QString>

namespace hopper::test {

struct IdleReport {
  double cpuShare = 0;  // CPU time of the whole process over the time the loop ran
  qint64 wallMs = 0;
  qint64 cpuMs = 0;
  QString Describe() const;
};

// Runs the event loop for `periodMs` (events are processed all along; nothing sleeps).
IdleReport RunEventLoopWhileIdle(int periodMs = 500);

}  // namespace hopper::test
