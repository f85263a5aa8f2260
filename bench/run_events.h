#pragma once
// Lets the event loop run for `ms`, asleep while nothing happens. QCoreApplication::processEvents
// given a time never waits for events: a loop of it keeps a whole core busy, and on a small
// machine the programs measured beside it get what is left.

#include <QEventLoop>
#include <QTimer>

namespace bench {

inline void RunEventsFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace bench
