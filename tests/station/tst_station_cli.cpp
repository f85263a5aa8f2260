// hopper-cli station with four emulated hoppers on four pseudo-terminals at once, one of them
// faulty: each unit's result per port, the summary after SIGINT and the exit code.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>

#include "json_lines.h"
#include "settings_sandbox.h"
#include "tests/emulator/line_test_support.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"

using namespace hopper;
using namespace hopper::emulator;

Q_DECLARE_METATYPE(hopper::emulator::Faults)

namespace {
constexpr int kWaitMs = 30000;
constexpr int kUnits = 3;
constexpr int kPorts = 4;
constexpr int kFaulty = 2;  // the port whose hopper misbehaves

// One fixture: the emulated hopper on a line reached through a link of a fixed name.
struct Fixture {
  Fixture(const QString& path, const HopperConfig& config) : link(path) { PlugIn(config); }
  void PlugIn(const HopperConfig& config) {
    hopper.reset();
    line = std::make_unique<PtyChannel>();
    openError = line->Open(link);
    hopper = std::make_unique<HopperEmulator>(config, *line, log.log);
    hopper->SetByteTimeUs(0);
    hopper->PowerOnWhenOpened(20);
  }
  QString link;
  test::MemoryLog log;
  std::unique_ptr<PtyChannel> line;
  std::unique_ptr<HopperEmulator> hopper;
  QString openError;
  QStringList results;  // "PASS", "FAIL no-acknowledgement", …
  bool gone = false;
};
}  // namespace

class StationCli : public QObject {
  Q_OBJECT
 private slots:
  void unitsPerPort_data();
  void unitsPerPort();
  void interruptedSaveIsUnverified();
};

void StationCli::unitsPerPort_data() {
  QTest::addColumn<Faults>("faults");
  QTest::addColumn<QStringList>("expected");  // the faulty port's units
  QTest::addColumn<int>("code");
  Faults none;
  Faults noAck;
  noAck.noAck = true;
  Faults differs;
  differs.readBackChange = 3;
  Faults cut;  // switched off half-way through its report
  cut.cutReportAfter = 20;
  Faults pulled;
  pulled.pullCableAfter = 20;
  const auto times = [](const QString& result) { return QStringList(kUnits, result); };
  QTest::newRow("all good") << none << times("PASS") << 0;
  QTest::newRow("no acknowledgement") << noAck << times("FAIL no-acknowledgement") << 6;
  QTest::newRow("differing read-back") << differs << times("FAIL read-back-differs") << 7;
  QTest::newRow("switched off in the report") << cut << times("FAIL report-cut") << 5;
  Faults badReadBack;
  badReadBack.badReadBackChecksum = true;
  QTest::newRow("spoilt read-back") << badReadBack << times("FAIL read-back-checksum") << 5;
  Faults wrongAck;
  wrongAck.wrongAck = 0x85;
  QTest::newRow("wrong acknowledgement") << wrongAck << times("FAIL wrong-acknowledgement") << 6;
  // The adapter comes back (without the fault) and the port carries on.
  QTest::newRow("pulled cable") << pulled << QStringList{"FAIL adapter-gone", "PASS", "PASS"} << 3;
}

namespace {

// The parameter file the station writes, in `dir`; empty when it could not be made.
QString WriteSet(const QTemporaryDir& dir, const QByteArray& text) {
  const QString path = dir.filePath(QStringLiteral("set.txt"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return {};
  return path;
}

}  // namespace

void StationCli::unitsPerPort() {
  QFETCH(Faults, faults);
  QFETCH(QStringList, expected);
  QFETCH(int, code);
  test::SettingsSandbox sandbox;
  QTemporaryDir dir;
  const QString setPath = WriteSet(dir, "1234\n500\n250\n100\n50\n20\n10\n5\n2\n1\n0\n0\n0\n0\n7\n65535\n");
  QVERIFY(!setPath.isEmpty());

  std::vector<std::unique_ptr<Fixture>> fixtures;
  QStringList arguments{QStringLiteral("station"), setPath, QStringLiteral("--json")};
  for (int i = 0; i < kPorts; ++i) {
    HopperConfig config;
    if (i == kFaulty) config.faults = faults;
    fixtures.push_back(std::make_unique<Fixture>(dir.filePath(QStringLiteral("hopper%1").arg(i)), config));
    QVERIFY2(fixtures.back()->openError.isEmpty(), qPrintable(fixtures.back()->openError));
    arguments << QStringLiteral("--port") << fixtures.back()->link;
  }

  QProcess station;
  QJsonObject summary;
  QByteArray pending;
  QObject::connect(&station, &QProcess::readyReadStandardOutput, [&] {
    test::TakeJsonLines(pending, station.readAllStandardOutput(), [&](const QJsonObject& event) {
      const QString name = event.value(QStringLiteral("event")).toString();
      if (name == QLatin1String("summary")) summary = event;
      int port = 0;
      while (port < kPorts && fixtures[port]->link != event.value(QStringLiteral("port")).toString()) ++port;
      if (port == kPorts) return;
      Fixture& f = *fixtures[port];
      if (name == QLatin1String("state") && event.value(QStringLiteral("state")).toString() == "adapter gone")
        f.gone = true;
      if (name != QLatin1String("unit")) return;
      const QString fault = event.value(QStringLiteral("fault")).toString();
      f.results << (event.value(QStringLiteral("result")).toString() + (fault.isEmpty() ? "" : " " + fault));
      // The next hopper is switched on as soon as the last one is done, up to kUnits of them.
      if (f.results.size() < kUnits && !f.gone) f.hopper->PowerOn();
    });
  });
  station.start(QStringLiteral(HOPPER_CLI), arguments);
  QVERIFY(station.waitForStarted(kWaitMs));

  Fixture& faulty = *fixtures[kFaulty];
  if (faults.pullCableAfter) {
    QTRY_VERIFY_WITH_TIMEOUT(faulty.gone && !faulty.results.isEmpty(), kWaitMs);
    faulty.gone = false;
    faulty.PlugIn({});  // a new hopper on the same adapter, switched on once the port reopens
  }
  for (const auto& f : fixtures) QTRY_COMPARE_WITH_TIMEOUT(f->results.size(), kUnits, kWaitMs);
  for (int i = 0; i < kPorts; ++i)
    QCOMPARE(fixtures[i]->results, i == kFaulty ? expected : QStringList(kUnits, QStringLiteral("PASS")));

  ::kill(static_cast<pid_t>(station.processId()), SIGINT);
  QTRY_VERIFY_WITH_TIMEOUT(station.state() == QProcess::NotRunning, kWaitMs);
  QCOMPARE(station.exitStatus(), QProcess::NormalExit);
  QCOMPARE(station.exitCode(), code);
  QCOMPARE(summary.value(QStringLiteral("exitCode")).toInt(), code);
  const QJsonArray ports = summary.value(QStringLiteral("ports")).toArray();
  QCOMPARE(ports.size(), kPorts);
  for (int i = 0; i < kPorts; ++i) {
    const QJsonObject p = ports[i].toObject();
    QCOMPARE(p.value(QStringLiteral("port")).toString(), fixtures[i]->link);
    QCOMPARE(p.value(QStringLiteral("passed")).toInt(), fixtures[i]->results.count(QStringLiteral("PASS")));
    QCOMPARE(p.value(QStringLiteral("failed")).toInt(), kUnits - fixtures[i]->results.count(QStringLiteral("PASS")));
    QCOMPARE(p.value(QStringLiteral("unverified")).toInt(), 0);
  }
  // Each passed unit is in the journal as a verified save.
  QProcess history;
  history.start(QStringLiteral(HOPPER_CLI), {QStringLiteral("history"), QStringLiteral("--json")});
  QVERIFY(history.waitForFinished(kWaitMs));
  int verified = 0, passed = 0;
  for (const QJsonValue& entry : QJsonDocument::fromJson(history.readAllStandardOutput()).array())
    verified += entry[QStringLiteral("result")].toString() == QLatin1String("verified");
  for (const auto& f : fixtures) passed += int(f->results.count(QStringLiteral("PASS")));
  QCOMPARE(verified, passed);
}

void StationCli::interruptedSaveIsUnverified() {
  // Ctrl+C while the save waits for its acknowledgement: that hopper's set is nobody's guess.
  test::SettingsSandbox sandbox;
  QTemporaryDir dir;
  const QString setPath = WriteSet(dir, "1\n2\n");
  QVERIFY(!setPath.isEmpty());
  HopperConfig silent;
  silent.faults.noAck = true;
  Fixture fixture(dir.filePath(QStringLiteral("hopper")), silent);
  QProcess station;
  QByteArray pending;
  QJsonObject summary;
  bool writing = false;
  QObject::connect(&station, &QProcess::readyReadStandardOutput, [&] {
    test::TakeJsonLines(pending, station.readAllStandardOutput(), [&](const QJsonObject& event) {
      if (event.value(QStringLiteral("state")).toString() == QLatin1String("writing")) writing = true;
      if (event.value(QStringLiteral("event")).toString() == QLatin1String("summary")) summary = event;
    });
  });
  station.start(QStringLiteral(HOPPER_CLI), {"station", setPath, "--json", "--port", fixture.link});
  QTRY_VERIFY_WITH_TIMEOUT(writing, kWaitMs);
  ::kill(static_cast<pid_t>(station.processId()), SIGTERM);
  QTRY_VERIFY_WITH_TIMEOUT(station.state() == QProcess::NotRunning, kWaitMs);
  QCOMPARE(station.exitCode(), 130);
  const QJsonObject port = summary.value(QStringLiteral("ports")).toArray().at(0).toObject();
  QCOMPARE(port.value(QStringLiteral("unverified")).toInt(), 1);
  QCOMPARE(port.value(QStringLiteral("failed")).toInt(), 0);
}

QTEST_GUILESS_MAIN(StationCli)
#include "tst_station_cli.moc"
