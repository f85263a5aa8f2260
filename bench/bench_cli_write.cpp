// hopper-cli write against the emulated hopper at true 9600-baud pacing: the time from the end
// of the hopper's report to the program's verified exit, against what the bytes after the
// report need on the line (sync, echo, ready, save frame, acknowledgement, read-back) plus 50 ms.
//   build/bin/bench_cli_write [trials]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/run_events.h"
#include "core/setting_frames.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"

using namespace hopper;
using namespace hopper::emulator;

namespace {

constexpr std::size_t kBytesAfterReport = 1 + 1 + 1 + kSaveFrameSize + 1 + kReadBackSize;
constexpr double kAllowanceMs = 50.0;

// One write; the milliseconds from the report's last byte to the exit, or a negative value.
double Trial(const QString& file) {
  PtyChannel line;
  if (!line.Open().isEmpty()) return -1;
  TrafficLog log([](const QString&) {});
  HopperEmulator hopper({}, line, log);
  hopper.PowerOnWhenOpened(20);

  QElapsedTimer clock;
  clock.start();
  qint64 reportEndNs = -1;
  // The report and the sync byte are queued together: the line falls quiet one byte after the report.
  QObject::connect(&hopper.Output(), &Transmitter::AllSent, [&] {
    if (reportEndNs < 0) reportEndNs = clock.nsecsElapsed() - qint64{kByteTimeUs} * 1000;
  });
  qint64 exitNs = -1;
  QProcess cli;
  QObject::connect(&cli, &QProcess::finished, [&] { exitNs = clock.nsecsElapsed(); });
  cli.start(QStringLiteral(HOPPER_CLI), {"write", file, "--port", line.SlavePath(), "--timeout", "10"});
  while (exitNs < 0 && clock.elapsed() < 20000) bench::RunEventsFor(5);
  if (exitNs < 0 || cli.exitCode() != 0 || reportEndNs < 0) return -1;
  return double(exitNs - reportEndNs) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  QTemporaryDir dir;
  // hopper-cli keeps the runs' backups and journal entries here, not among the user's.
  qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
  const QString file = dir.filePath(QStringLiteral("set.TXT"));
  QFile out(file);
  out.open(QIODevice::WriteOnly);
  for (int i = 0; i < 16; ++i) out.write(" " + QByteArray::number(100 + i) + "\r\n");
  out.close();

  std::vector<double> ms;
  for (int i = 0; i < trials; ++i) {
    const double t = Trial(file);
    if (t < 0) {
      std::fprintf(stderr, "trial %d failed\n", i + 1);
      return 1;
    }
    ms.push_back(t);
  }
  std::sort(ms.begin(), ms.end());
  const double line = double(kBytesAfterReport) * kByteTimeUs / 1000.0;
  std::printf("hopper-cli write, end of report to verified exit, %d trials at 9600 baud:\n", trials);
  std::printf("  min %.1f ms  median %.1f ms  max %.1f ms\n", ms.front(), ms[ms.size() / 2], ms.back());
  std::printf("  budget: %zu bytes on the line %.1f ms + %.0f ms = %.1f ms: %s\n", kBytesAfterReport, line,
              kAllowanceMs, line + kAllowanceMs, ms[ms.size() / 2] <= line + kAllowanceMs ? "within" : "OVER");
  return 0;
}
