// hopper-cli station on 8 pseudo-terminals at once, each with an emulated hopper at true
// 9600-baud pacing that is switched on again every 500 ms, as on a busy production line:
// verified units per minute per port against what the line and the power-on pace allow, the
// station process's CPU, and the worst delay of the sync echo (sync byte on the line to echo
// received), which holds any stall of the station's event loop.
//   build/bin/bench_station [seconds=60] [ports=8] [every-ms=500] [--results FILE]

#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/setting_frames.h"
#include "tests/support/json_lines.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"

using namespace hopper;
using namespace hopper::emulator;

namespace {

// One dialogue on the line: report (41 bytes with four info bytes), sync, echo, ready, save
// frame, acknowledgement, read-back; one after the other, never overlapping.
constexpr std::size_t kDialogueBytes = 41 + 1 + 1 + 1 + kSaveFrameSize + 1 + kReadBackSize;

struct Fixture {
  PtyChannel line;
  std::unique_ptr<HopperEmulator> hopper;
  int passed = 0;
  int failed = 0;
  qint64 syncSentNs = -1;  // the report and its sync byte have left; waiting for the echo
  double worstEchoMs = 0;
};

double CpuSeconds(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  const QByteArray text = stat.readAll();
  const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
  // utime and stime are the 12th and 13th fields after the command name.
  return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  QString results;
  if (const qsizetype at = args.indexOf(QStringLiteral("--results")); at >= 0 && at + 1 < args.size()) {
    results = args[at + 1];
    args.remove(at, 2);
  }
  const int seconds = std::max(1, args.value(0, QStringLiteral("60")).toInt());
  const int ports = std::max(1, args.value(1, QStringLiteral("8")).toInt());
  const int everyMs = std::max(50, args.value(2, QStringLiteral("500")).toInt());

  QTemporaryDir dir;
  const QString setPath = dir.filePath(QStringLiteral("set.TXT"));
  QFile set(setPath);
  set.open(QIODevice::WriteOnly);
  for (int i = 0; i < 16; ++i) set.write(QByteArray::number(100 + i) + "\r\n");
  set.close();

  QElapsedTimer clock;
  clock.start();
  TrafficLog log([](const QString&) {});
  std::vector<std::unique_ptr<Fixture>> fixtures;
  QStringList arguments{QStringLiteral("station"), setPath, QStringLiteral("--json")};
  for (int i = 0; i < ports; ++i) {
    auto f = std::make_unique<Fixture>();
    if (const QString why = f->line.Open(); !why.isEmpty()) {
      std::fprintf(stderr, "bench_station: %s\n", qPrintable(why));
      return 1;
    }
    f->hopper = std::make_unique<HopperEmulator>(HopperConfig{}, f->line, log);
    Fixture* raw = f.get();
    // The first time the line falls quiet after a power-on, the sync byte has just gone out.
    QObject::connect(&raw->hopper->Output(), &Transmitter::AllSent, [raw, &clock] {
      if (raw->hopper->Side().Phase() == HopperPhase::AwaitEcho && raw->syncSentNs < 0)
        raw->syncSentNs = clock.nsecsElapsed();
    });
    QObject::connect(&raw->line, &ByteChannel::BytesReceived, [raw, &clock] {
      if (raw->syncSentNs < 0) return;
      raw->worstEchoMs = std::max(raw->worstEchoMs, double(clock.nsecsElapsed() - raw->syncSentNs) / 1e6);
      raw->syncSentNs = -1;
    });
    arguments << QStringLiteral("--port") << f->line.SlavePath();
    fixtures.push_back(std::move(f));
  }

  QProcess station;
  QByteArray pending;
  QObject::connect(&station, &QProcess::readyReadStandardOutput, [&] {
    test::TakeJsonLines(pending, station.readAllStandardOutput(), [&](const QJsonObject& event) {
      if (event.value(QStringLiteral("event")).toString() != QLatin1String("unit")) return;
      for (const auto& f : fixtures)
        if (f->line.SlavePath() == event.value(QStringLiteral("port")).toString())
          (event.value(QStringLiteral("result")).toString() == QLatin1String("PASS") ? f->passed : f->failed)++;
    });
  });
  // The station keeps its journal as it would at a bench, in a data folder of the run's own.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
  station.setProcessEnvironment(environment);
  station.start(QStringLiteral(HOPPER_CLI), arguments);
  if (!station.waitForStarted(10000)) return 1;
  // The station opens every port before the first power-on, so every port starts alike.
  while (clock.elapsed() < 20000 &&
         !std::all_of(fixtures.begin(), fixtures.end(), [](const auto& f) { return f->line.PeerPresent(); }))
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  const double cpuStart = CpuSeconds(station.processId());
  QElapsedTimer run;
  run.start();
  for (const auto& f : fixtures) f->hopper->PowerOnEvery(everyMs);
  while (run.elapsed() < seconds * 1000LL) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  for (const auto& f : fixtures) f->hopper->PowerOnEvery(0);
  const double wall = double(run.nsecsElapsed()) / 1e9;
  const double cpu = CpuSeconds(station.processId()) - cpuStart;
  station.terminate();
  station.waitForFinished(10000);

  const double dialogueMs = double(kDialogueBytes) * kByteTimeUs / 1000.0;
  const double lineLimit = 60000.0 / dialogueMs;
  const double offered = 60000.0 / everyMs;
  const double ceiling = std::min(lineLimit, offered);
  double worstRatio = 1e9;
  double worstEcho = 0;
  int failed = 0;
  for (const auto& f : fixtures) {
    worstRatio = std::min(worstRatio, f->passed * 60.0 / wall / ceiling);
    worstEcho = std::max(worstEcho, f->worstEchoMs);
    failed += f->failed;
  }
  const double perPort = fixtures.front()->passed * 60.0 / wall;
  std::printf("hopper-cli station, %d ports, a power-on every %d ms, %.0f s at 9600 baud:\n", ports, everyMs, wall);
  for (const auto& f : fixtures)
    std::printf("  %s  passed %d (%.1f /min)  failed %d  worst echo %.2f ms\n", qPrintable(f->line.SlavePath()),
                f->passed, f->passed * 60.0 / wall, f->failed, f->worstEchoMs);
  std::printf("  line limit %.0f units/min (%zu bytes, %.1f ms a dialogue); power-on pace %.0f /min\n", lineLimit,
              kDialogueBytes, dialogueMs, offered);
  std::printf("  worst port %.3f of %.0f /min: %s; worst echo %.2f ms: %s; station CPU %.1f %% of a core\n", worstRatio,
              ceiling, worstRatio >= 0.95 ? "within" : "BELOW", worstEcho, worstEcho <= 20 ? "within" : "OVER",
              100 * cpu / wall);
  if (!results.isEmpty()) {
    QFile out(results);
    if (out.open(QIODevice::Append)) {
      const bool met = worstRatio >= 0.95 && failed == 0;
      out.write(
          QStringLiteral("\n## Station\n\n| figure | method | value | target | met |\n|---|---|---|---|---|\n"
                         "| units per port | `bench_station %1 %2 %3`: %2 emulated hoppers, a power-on every %3 ms, "
                         "%4 s; verified units per minute of the slowest port against min(line limit %5 /min, "
                         "pace %6 /min); %7 failed units | %8 /min (%9) | ≥ 0.95 | %10 |\n"
                         "| worst stall | longest wait from the sync byte on the line to its echo, any port, any "
                         "unit (an upper bound: it holds the bench's own delays too) | %11 ms | ≤ 20 ms | %12 |\n"
                         "| station CPU | utime + stime of the hopper-cli process over the run | %13 % of a core "
                         "| — | — |\n")
              .arg(seconds)
              .arg(ports)
              .arg(everyMs)
              .arg(wall, 0, 'f', 0)
              .arg(lineLimit, 0, 'f', 0)
              .arg(offered, 0, 'f', 0)
              .arg(failed)
              .arg(perPort, 0, 'f', 1)
              .arg(worstRatio, 0, 'f', 3)
              .arg(met ? QStringLiteral("yes") : QStringLiteral("**no**"))
              .arg(worstEcho, 0, 'f', 2)
              .arg(worstEcho <= 20 ? QStringLiteral("yes") : QStringLiteral("**no**"))
              .arg(100 * cpu / wall, 0, 'f', 1)
              .toUtf8());
    }
  }
  return 0;
}
