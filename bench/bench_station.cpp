// hopper-cli station on 8 pseudo-terminals at once, each with an emulated hopper at true
// 9600-baud pacing that is switched on again every 500 ms, as on a busy production line:
// verified units per minute per port against what the line and the power-on pace allow, the
// station process's CPU, and the worst delay of the sync echo (sync byte on the line to echo
// received), which holds any stall of the station's event loop. The station runs with its
// journal, as at a bench, and without it (--no-journal), in turns: two stretches of each, half
// the seconds apiece, so both meet the same load of the machine.
//   build/bin/bench_station [seconds=60] [ports=8] [every-ms=500] [--results FILE]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/run_events.h"
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

struct Run {
  double wall = 0;  // seconds of power-ons
  double cpu = 0;   // seconds of the station's CPU over them
  std::vector<int> passed;
  int failed = 0;
  double worstEcho = 0;  // ms
  bool ok = false;
};

QString LoadAverage() {
  QFile file(QStringLiteral("/proc/loadavg"));
  if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("unknown");
  return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

// Time on a CPU of every thread of the process, to the nanosecond (utime and stime count in
// ticks of 10 ms, a few per cent of a station's second); a thread must live from one reading
// to the next to be counted whole, as the station's journal thread does.
double CpuSeconds(qint64 pid) {
  const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
  double seconds = 0;
  for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
    if (stat.open(QIODevice::ReadOnly)) seconds += double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
  }
  return seconds;
}

// One stretch: fresh lines and hoppers, a station started on them, `seconds` of power-ons.
Run RunStation(const QString& setPath, const QString& dataFolder, int ports, int everyMs, int seconds, bool journal) {
  Run result;
  QElapsedTimer clock;
  clock.start();
  TrafficLog log([](const QString&) {});
  std::vector<std::unique_ptr<Fixture>> fixtures;
  QStringList arguments{QStringLiteral("station"), setPath, QStringLiteral("--json")};
  if (!journal) arguments << QStringLiteral("--no-journal");
  for (int i = 0; i < ports; ++i) {
    auto f = std::make_unique<Fixture>();
    if (const QString why = f->line.Open(); !why.isEmpty()) {
      std::fprintf(stderr, "bench_station: %s\n", qPrintable(why));
      return result;
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
  environment.insert(QStringLiteral("XDG_DATA_HOME"), dataFolder);
  station.setProcessEnvironment(environment);
  station.start(QStringLiteral(HOPPER_CLI), arguments);
  if (!station.waitForStarted(10000)) return result;
  // The station opens every port before the first power-on, so every port starts alike.
  while (clock.elapsed() < 20000 &&
         !std::all_of(fixtures.begin(), fixtures.end(), [](const auto& f) { return f->line.PeerPresent(); }))
    bench::RunEventsFor(10);
  const double cpuStart = CpuSeconds(station.processId());
  QElapsedTimer run;
  run.start();
  for (const auto& f : fixtures) f->hopper->PowerOnEvery(everyMs);
  bench::RunEventsFor(seconds * 1000);
  for (const auto& f : fixtures) f->hopper->PowerOnEvery(0);
  result.wall = double(run.nsecsElapsed()) / 1e9;
  result.cpu = CpuSeconds(station.processId()) - cpuStart;
  // The units already under way finish before the station is stopped: one cut off in the middle
  // is no failure of the station.
  bench::RunEventsFor(2000);
  station.terminate();
  station.waitForFinished(10000);
  for (const auto& f : fixtures) {
    result.passed.push_back(f->passed);
    result.failed += f->failed;
    result.worstEcho = std::max(result.worstEcho, f->worstEchoMs);
  }
  result.ok = true;
  return result;
}

// The runs of one kind added up: units per port over the whole time, the worst of the echoes.
Run Sum(const std::vector<Run>& runs) {
  Run sum;
  for (const Run& r : runs) {
    sum.wall += r.wall;
    sum.cpu += r.cpu;
    sum.failed += r.failed;
    sum.worstEcho = std::max(sum.worstEcho, r.worstEcho);
    sum.passed.resize(r.passed.size());
    for (std::size_t i = 0; i < r.passed.size(); ++i) sum.passed[i] += r.passed[i];
  }
  return sum;
}

QString YesNo(bool met) { return met ? QStringLiteral("yes") : QStringLiteral("**no**"); }

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  QString results;
  if (const qsizetype at = args.indexOf(QStringLiteral("--results")); at >= 0 && at + 1 < args.size()) {
    results = args[at + 1];
    args.remove(at, 2);
  }
  const int seconds = std::max(2, args.value(0, QStringLiteral("60")).toInt());
  const int ports = std::max(1, args.value(1, QStringLiteral("8")).toInt());
  const int everyMs = std::max(50, args.value(2, QStringLiteral("500")).toInt());

  QTemporaryDir dir;
  const QString setPath = dir.filePath(QStringLiteral("set.TXT"));
  QFile set(setPath);
  set.open(QIODevice::WriteOnly);
  for (int i = 0; i < 16; ++i) set.write(QByteArray::number(100 + i) + "\r\n");
  set.close();

  const QString loadBefore = LoadAverage();
  std::vector<Run> withJournal, without;
  for (int round = 0; round < 2; ++round) {
    const QString data = dir.filePath(QStringLiteral("data"));
    withJournal.push_back(RunStation(setPath, data, ports, everyMs, seconds / 2, true));
    without.push_back(RunStation(setPath, data, ports, everyMs, seconds / 2, false));
    if (!withJournal.back().ok || !without.back().ok) return 1;
  }
  const QString loadAfter = LoadAverage();
  const Run on = Sum(withJournal);
  const Run off = Sum(without);

  const double dialogueMs = double(kDialogueBytes) * kByteTimeUs / 1000.0;
  const double lineLimit = 60000.0 / dialogueMs;
  const double offered = 60000.0 / everyMs;
  const double ceiling = std::min(lineLimit, offered);
  const auto worstRatio = [&](const Run& r) {
    double worst = 1e9;
    for (int passed : r.passed) worst = std::min(worst, passed * 60.0 / r.wall / ceiling);
    return worst;
  };
  const double cpuOn = 100 * on.cpu / on.wall;
  const double cpuOff = 100 * off.cpu / off.wall;
  const double cpuRatio = cpuOff > 0 ? cpuOn / cpuOff : 0;
  std::printf(
      "hopper-cli station, %d ports, a power-on every %d ms, %.0f s with the journal and %.0f s without, "
      "in turns, at 9600 baud:\n",
      ports, everyMs, on.wall, off.wall);
  for (const Run* r : {&on, &off})
    std::printf("  %-16s slowest port %.3f of %.0f /min, %d failed, worst echo %.2f ms, CPU %.2f %% of a core\n",
                r == &on ? "journal:" : "--no-journal:", worstRatio(*r), ceiling, r->failed, r->worstEcho,
                100 * r->cpu / r->wall);
  std::printf("  line limit %.0f units/min (%zu bytes, %.1f ms a dialogue); power-on pace %.0f /min\n", lineLimit,
              kDialogueBytes, dialogueMs, offered);
  std::printf("  CPU with the journal %.2fx without; load average %s at the start, %s at the end\n", cpuRatio,
              qPrintable(loadBefore), qPrintable(loadAfter));
  if (!results.isEmpty()) {
    QFile out(results);
    if (out.open(QIODevice::Append)) {
      const QString command = QStringLiteral("`bench_station %1 %2 %3`").arg(seconds).arg(ports).arg(everyMs);
      QString table = QStringLiteral(
                          "\n## Station, %1 ports\n\n| figure | method | value | floor | ratio | target | met |\n"
                          "|---|---|---|---|---|---|---|\n")
                          .arg(ports);
      for (const Run* r : {&on, &off}) {
        const bool journal = r == &on;
        const QString how = journal ? QStringLiteral("with the journal") : QStringLiteral("with --no-journal");
        table += QStringLiteral(
                     "| units per port, %1 | %2: %3 emulated hoppers, a power-on every %4 ms; verified units per "
                     "minute of the slowest port against min(line limit %5 /min, pace %6 /min); %7 failed units | "
                     "%8 | — | — | ≥ 0.95, 0 failed | %9 |\n")
                     .arg(how, command)
                     .arg(ports)
                     .arg(everyMs)
                     .arg(lineLimit, 0, 'f', 0)
                     .arg(offered, 0, 'f', 0)
                     .arg(r->failed)
                     .arg(worstRatio(*r), 0, 'f', 3)
                     .arg(YesNo(worstRatio(*r) >= 0.95 && r->failed == 0));
        table += QStringLiteral(
                     "| worst stall, %1 | longest wait from the sync byte on the line to its echo, any port, any "
                     "unit (an upper bound: it holds the bench's own delays too) | %2 ms | — | — | ≤ 20 ms | %3 |\n")
                     .arg(how)
                     .arg(r->worstEcho, 0, 'f', 2)
                     .arg(YesNo(r->worstEcho <= 20));
      }
      table += QStringLiteral(
                   "| station CPU with the journal | CPU time of all threads of the hopper-cli process (schedstat) "
                   "over the power-ons, "
                   "against the same station with --no-journal, %1 s of each taken in turns | %2 % of a core | "
                   "%3 % of a core | %4× | ≤ 1.2× | %5 |\n")
                   .arg(on.wall, 0, 'f', 0)
                   .arg(cpuOn, 0, 'f', 2)
                   .arg(cpuOff, 0, 'f', 2)
                   .arg(cpuRatio, 0, 'f', 2)
                   .arg(YesNo(cpuRatio <= 1.2));
      table += QStringLiteral("\n- Load average %1 at the start, %2 at the end.\n").arg(loadBefore, loadAfter);
      out.write(table.toUtf8());
    }
  }
  return 0;
}
