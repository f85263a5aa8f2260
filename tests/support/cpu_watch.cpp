#include "cpu_watch.h"

#include <sys/resource.h>
#include <QElapsedTimer>
#include <QTest>

namespace hopper::test {

namespace {
qint64 ProcessCpuMs() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_usec / 1000; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}
}  // namespace

QString IdleReport::Describe() const {
  return QStringLiteral("event loop ran %1 ms, process used %2 ms of CPU (share %3)")
      .arg(wallMs)
      .arg(cpuMs)
      .arg(cpuShare, 0, 'f', 2);
}

IdleReport RunEventLoopWhileIdle(int periodMs) {
  QElapsedTimer wall;
  const qint64 cpuBefore = ProcessCpuMs();
  wall.start();
  QTest::qWait(periodMs);
  IdleReport report;
  report.wallMs = wall.elapsed();
  report.cpuMs = ProcessCpuMs() - cpuBefore;
  report.cpuShare = report.wallMs > 0 ? static_cast<double>(report.cpuMs) / static_cast<double>(report.wallMs) : 0;
  return report;
}

}  // namespace hopper::test
